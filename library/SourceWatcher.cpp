#include "library/SourceWatcher.h"

#include "platform/FileSystem.h"

namespace library {

SourceWatcher::SourceWatcher(platform::MessageSink* owner, std::chrono::milliseconds period)
    : owner_(owner), period_(period), thread_([this] { Run(); }) {}

SourceWatcher::~SourceWatcher() {
  {
    std::lock_guard guard(lock_);
    stop_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

void SourceWatcher::Watch(const std::filesystem::path& path) {
  const auto device = path.empty() ? std::nullopt : platform::Fs().DeviceOf(path);
  std::lock_guard guard(lock_);
  path_ = path;
  device_ = device;
  lost_ = false;
}

std::optional<std::uint64_t> SourceWatcher::source_device() const {
  std::lock_guard guard(lock_);
  return device_;
}

std::filesystem::path SourceWatcher::watched_path() const {
  std::lock_guard guard(lock_);
  return path_;
}

void SourceWatcher::Run() {
  std::unique_lock guard(lock_);
  while (!stop_) {
    if (!path_.empty()) {
      const std::filesystem::path path = path_;
      const auto device = device_;
      guard.unlock();
      const auto now = platform::Fs().DeviceOf(path);
      const bool gone = !now || (device && *now != *device);
      guard.lock();
      // Only report the path we checked; Watch() may have replaced it meanwhile.
      if (gone && path_ == path && device_ == device && owner_ != nullptr) {
        lost_ = true;
        path_.clear();
        owner_->Post(kMessageSourceLost, 0, 0);
      }
    }
    wake_.wait_for(guard, period_, [this] { return stop_; });
  }
}

}  // namespace library
