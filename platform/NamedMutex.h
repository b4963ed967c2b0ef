#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

namespace platform {

// A recursive mutex shared by name across the process: every Create with the
// same name returns the same mutex, as named system mutexes do. Lock counts
// the caller as a waiter before it waits; Unlock stops counting it after the
// release, so WaiterCount() is the number of threads waiting for or holding
// any named mutex.
class NamedMutex {
 public:
  static std::shared_ptr<NamedMutex> Create(std::string_view name);

  void Lock();
  bool TryLock();
  void Unlock();
  const std::string& name() const { return name_; }

  static int WaiterCount();

  explicit NamedMutex(std::string name) : name_(std::move(name)) {}

 private:
  std::string name_;
  std::recursive_mutex mutex_;
};

}  // namespace platform
