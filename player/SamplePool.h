#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <deque>

#include "player/VideoSample.h"

namespace player {

// The free video samples between the decoder and the scheduler. A fixed
// number of samples limits how far decoding runs ahead of the screen. Each
// sample keeps its picture buffer for reuse; samples are handed out oldest
// returned first, so the one just put on screen is reused last.
class SamplePool {
 public:
  explicit SamplePool(std::size_t samples);

  // A free sample, or null when none is free.
  std::unique_ptr<VideoSample> TryTake();
  // Waits until a sample is free, the pool is woken, or the timeout passes.
  std::unique_ptr<VideoSample> Take(std::chrono::milliseconds timeout);
  // A sample comes back; wake tells a waiting decoder to go on at once.
  void Return(std::unique_ptr<VideoSample> sample, bool wake);
  void Wake();

 private:
  // Guards free_: the decoder worker takes samples, the scheduler thread and
  // flushes on either thread return them.
  mutable std::mutex lock_;
  std::condition_variable returned_;
  std::deque<std::unique_ptr<VideoSample>> free_;
};

}  // namespace player
