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
  std::lock_guard guard(lock_);
  path_ = path;
  lost_ = false;
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
      guard.unlock();
      const bool gone = !platform::Fs().Exists(path);
      guard.lock();
      // Only report the path we checked; Watch() may have replaced it meanwhile.
      if (gone && path_ == path && owner_ != nullptr) {
        lost_ = true;
        path_.clear();
        owner_->Post(kMessageSourceLost, 0, 0);
      }
    }
    wake_.wait_for(guard, period_, [this] { return stop_; });
  }
}

}  // namespace library
