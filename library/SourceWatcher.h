#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <optional>
#include <thread>

#include "platform/MessageSink.h"

namespace library {

// Posted to the owner when the watched source no longer exists.
inline constexpr std::uint32_t kMessageSourceLost = 0x84B1;

// Polls the source path every 100 ms on a thread of its own and tells the
// owner once when it vanishes, or when another file system answers at its
// path (a volume unmounted, its mount point now showing the disk beneath, or
// another one mounted there); the watched path is then empty until the next
// source is opened. (The viewer's CMovieResource.)
class SourceWatcher {
 public:
  explicit SourceWatcher(platform::MessageSink* owner, std::chrono::milliseconds period = std::chrono::milliseconds(100));
  virtual ~SourceWatcher();
  SourceWatcher(const SourceWatcher&) = delete;
  SourceWatcher& operator=(const SourceWatcher&) = delete;

  void Watch(const std::filesystem::path& path);
  std::filesystem::path watched_path() const;
  // The device of the file system the source was on when Watch() was called,
  // kept after its loss (DriveLossRule decides what the loss means); none
  // when it could not be read.
  std::optional<std::uint64_t> source_device() const;
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
  std::optional<std::uint64_t> device_;
  bool stop_ = false;
  std::thread thread_;  // last, so that it starts after everything above
};

}  // namespace library
