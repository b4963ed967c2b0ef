#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "player/PresentationClock.h"
#include "player/SamplePool.h"

namespace player {

// The picture on screen and its frame number.
struct PublishedFrame {
  QImage image;
  std::int32_t frame = -1;
  std::int64_t time = 0;
};

// Holds decoded samples until their time on the presentation clock, then
// publishes each as the frame on screen and asks for a repaint. Samples that
// are already late by more than two frames are dropped while later ones
// wait, so playback never falls behind the clock.
class Scheduler {
 public:
  // presented runs on the scheduler thread after each published frame;
  // continuous says whether returned samples should wake the decoder at once.
  Scheduler(PresentationClock& clock, SamplePool& pool, std::function<void()> presented,
            std::function<bool()> continuous);
  ~Scheduler();
  Scheduler(const Scheduler&) = delete;
  Scheduler& operator=(const Scheduler&) = delete;

  void set_frame_duration(std::int64_t duration) { frame_duration_ = duration; }
  void Schedule(std::unique_ptr<VideoSample> sample);
  // Returns every waiting sample to the pool.
  void Flush();
  // The next sample is presented at once, whatever the clock says; later
  // samples wait until Release().
  void PresentNextAtOnce();
  void Release();
  // Nothing is waiting to be presented.
  bool Idle() const;
  PublishedFrame Published() const;
  void ClearPublished();

 private:
  void Run();
  void Publish(std::unique_ptr<VideoSample> sample);

  PresentationClock& clock_;  // thread-safe
  SamplePool& pool_;          // thread-safe
  // Called on the scheduler thread.
  const std::function<void()> presented_callback_;
  const std::function<bool()> continuous_;
  std::atomic<std::int64_t> frame_duration_{333333};  // set by the player's open, read here

  // Guarded by lock_: samples come in from the decoder worker and leave on
  // the scheduler thread; flushes come from the worker or the driving thread.
  mutable std::mutex lock_;
  std::condition_variable changed_;
  std::deque<std::unique_ptr<VideoSample>> queue_;
  bool at_once_ = false;
  bool holding_ = false;
  bool presenting_ = false;  // a sample is between the queue and the pool
  bool stop_ = false;

  // Guarded by published_lock_: the frame on screen, written by the
  // scheduler thread (cleared by the worker), read by painting and the
  // view's operations.
  mutable std::mutex published_lock_;
  PublishedFrame published_;

  std::thread thread_;  // started by the constructor, joined by the destructor
};

}  // namespace player
