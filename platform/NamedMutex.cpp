#include "platform/NamedMutex.h"

#include <map>

namespace platform {
namespace {

std::atomic<int> g_waiters{0};

struct Registry {
  std::mutex lock;
  // Entries live as long as someone holds the mutex; a name whose last user
  // is gone is created afresh, as a named system mutex would be.
  std::map<std::string, std::weak_ptr<NamedMutex>, std::less<>> by_name;
};

Registry& TheRegistry() {
  static Registry* registry = new Registry;  // never destroyed: used from threads up to exit
  return *registry;
}

}  // namespace

std::shared_ptr<NamedMutex> NamedMutex::Create(std::string_view name) {
  Registry& registry = TheRegistry();
  std::lock_guard guard(registry.lock);
  auto it = registry.by_name.find(name);
  if (it != registry.by_name.end()) {
    if (auto existing = it->second.lock()) return existing;
  }
  auto created = std::make_shared<NamedMutex>(std::string(name));
  registry.by_name.insert_or_assign(std::string(name), created);
  return created;
}

void NamedMutex::Lock() {
  g_waiters.fetch_add(1);
  mutex_.lock();
}

bool NamedMutex::TryLock() {
  g_waiters.fetch_add(1);
  if (mutex_.try_lock()) return true;
  g_waiters.fetch_sub(1);
  return false;
}

void NamedMutex::Unlock() {
  mutex_.unlock();
  g_waiters.fetch_sub(1);
}

int NamedMutex::WaiterCount() { return g_waiters.load(); }

}  // namespace platform
