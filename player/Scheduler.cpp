#include "player/Scheduler.h"

#include <algorithm>

namespace player {

Scheduler::Scheduler(PresentationClock& clock, SamplePool& pool, std::function<void()> presented,
                     std::function<bool()> continuous)
    : clock_(clock),
      pool_(pool),
      presented_callback_(std::move(presented)),
      continuous_(std::move(continuous)),
      thread_([this] { Run(); }) {}

Scheduler::~Scheduler() {
  {
    std::lock_guard guard(lock_);
    stop_ = true;
  }
  changed_.notify_all();
  thread_.join();
  Flush();
}

void Scheduler::Schedule(std::unique_ptr<VideoSample> sample) {
  {
    std::lock_guard guard(lock_);
    queue_.push_back(std::move(sample));
  }
  changed_.notify_all();
}

void Scheduler::Flush() {
  std::deque<std::unique_ptr<VideoSample>> flushed;
  {
    std::lock_guard guard(lock_);
    flushed.swap(queue_);
    at_once_ = false;
  }
  for (auto& sample : flushed) pool_.Return(std::move(sample), true);
  changed_.notify_all();
}

void Scheduler::PresentNextAtOnce() {
  {
    std::lock_guard guard(lock_);
    at_once_ = true;
    holding_ = false;
  }
  changed_.notify_all();
}

void Scheduler::Release() {
  {
    std::lock_guard guard(lock_);
    holding_ = false;
  }
  changed_.notify_all();
}

bool Scheduler::Idle() const {
  std::lock_guard guard(lock_);
  return queue_.empty() && !presenting_;
}

PublishedFrame Scheduler::Published() const {
  std::lock_guard guard(published_lock_);
  return published_;
}

void Scheduler::ClearPublished() {
  std::lock_guard guard(published_lock_);
  published_ = PublishedFrame{};
}

void Scheduler::Publish(std::unique_ptr<VideoSample> sample) {
  {
    std::lock_guard guard(published_lock_);
    published_.image = sample->image;
    published_.frame = sample->frame;
    published_.time = sample->time;
  }
  pool_.Return(std::move(sample), continuous_());
  if (presented_callback_) presented_callback_();
}

void Scheduler::Run() {
  std::unique_lock guard(lock_);
  while (!stop_) {
    if (queue_.empty() || (holding_ && !at_once_)) {
      changed_.wait(guard);
      continue;
    }
    if (at_once_) {
      auto sample = std::move(queue_.front());
      queue_.pop_front();
      at_once_ = false;
      holding_ = true;
      presenting_ = true;
      guard.unlock();
      Publish(std::move(sample));
      guard.lock();
      presenting_ = false;
      continue;
    }
    const std::int64_t due = queue_.front()->time;
    const std::int64_t now = clock_.Time();
    if (!clock_.running() || now < due) {
      // Sleep until the sample is due, in short steps so that flushes,
      // pauses and rate changes are noticed.
      const double rate = clock_.rate() > 0 ? clock_.rate() : 1.0;
      const auto wait_100ns = clock_.running() ? static_cast<std::int64_t>((due - now) / rate) : 100000;
      changed_.wait_for(guard, std::chrono::microseconds(std::clamp<std::int64_t>(wait_100ns / 10, 200, 10000)));
      continue;
    }
    auto sample = std::move(queue_.front());
    queue_.pop_front();
    if (now - due > 2 * frame_duration_.load() && !queue_.empty()) {
      guard.unlock();
      pool_.Return(std::move(sample), continuous_());
      guard.lock();
      continue;
    }
    presenting_ = true;
    guard.unlock();
    Publish(std::move(sample));
    guard.lock();
    presenting_ = false;
  }
}

}  // namespace player
