#include "player/SamplePool.h"

namespace player {

SamplePool::SamplePool(std::size_t samples) {
  for (std::size_t i = 0; i < samples; ++i) free_.push_back(std::make_unique<VideoSample>());
}

std::unique_ptr<VideoSample> SamplePool::TryTake() {
  std::lock_guard guard(lock_);
  if (free_.empty()) return nullptr;
  auto sample = std::move(free_.front());
  free_.pop_front();
  return sample;
}

std::unique_ptr<VideoSample> SamplePool::Take(std::chrono::milliseconds timeout) {
  std::unique_lock guard(lock_);
  returned_.wait_for(guard, timeout, [this] { return !free_.empty(); });
  if (free_.empty()) return nullptr;
  auto sample = std::move(free_.front());
  free_.pop_front();
  return sample;
}

void SamplePool::Return(std::unique_ptr<VideoSample> sample, bool wake) {
  {
    std::lock_guard guard(lock_);
    free_.push_back(std::move(sample));
  }
  if (wake) returned_.notify_all();
}

void SamplePool::Wake() { returned_.notify_all(); }

}  // namespace player
