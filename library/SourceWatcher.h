#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>

#include "platform/MessageSink.h"

namespace library {

// Posted to the owner when the watched source no longer exists.
inline constexpr std::uint32_t kMessageSourceLost = 0x84B1;

// Polls the source path every 100 ms on a thread of its own and tells the
// owner once when it vanishes; the watched path is then empty until the
// next source is opened. (The viewer's CMovieResource.)
class SourceWatcher {
 public:
  explicit SourceWatcher(platform::MessageSink* owner, std::chrono::milliseconds period = std::chrono::milliseconds(100));
  virtual ~SourceWatcher();
  SourceWatcher(const SourceWatcher&) = delete;
  SourceWatcher& operator=(const SourceWatcher&) = delete;

  void Watch(const std::filesystem::path& path);
  std::filesystem::path watched_path() const;
  bool lost() const { return lost_.load(); }

 private:
  void Run();

  platform::MessageSink* const owner_;
  const std::chrono::milliseconds period_;
  std::atomic<bool> lost_{false};
  // Guarded by lock_: read and written by the thread and by Watch().
  mutable std::mutex lock_;
  std::condition_variable wake_;
  std::filesystem::path path_;
  bool stop_ = false;
  std::thread thread_;  // last, so that it starts after everything above
};

}  // namespace library
