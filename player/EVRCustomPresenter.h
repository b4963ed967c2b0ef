#pragma once

#include <QImage>
#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

#include "player/D3DPresentEngine.h"
#include "player/PresentationClock.h"
#include "player/SamplePool.h"
#include "player/Scheduler.h"

namespace player {

enum class RenderState { kStarted, kStopped, kPaused, kShutdown };

// Receives decoded pictures, schedules them against the presentation clock
// and presents them through the engine.
//
// Threads: the player's decoder worker delivers samples and runs the clock
// events; the driving thread (the view's operations) writes the
// single-frame control values, interrupts deliveries and shuts down; the
// scheduler's thread presents; painting reads the published frame and the
// engine's geometry. Each field below says which.
//
// The single-frame control values, written by the player just before it
// starts or pauses the session:
//   0 non-zero: a sample that returns to the pool wakes the decoder at once
//     (continuous playback); zero: the decoder goes on at its next poll.
//   1 non-zero: the first picture delivered after the value was set is shown
//     at once, whatever the clock says, and the presenter then holds; used to
//     show one frame. Set back to zero once that picture is shown.
//   2: stored.
class EVRCustomPresenter {
 public:
  EVRCustomPresenter(PresentationClock& clock, std::function<void()> repaint);
  ~EVRCustomPresenter();

  // A decoded picture from the decoder ("mixer output"): waits for a free
  // sample and has fill draw the picture into the sample's surface, which is
  // reused from one picture to the next. False when no sample became free
  // (interrupted or shutting down); true also when fill gave up, which
  // drops the picture.
  using Fill = std::function<bool(QImage& surface)>;
  bool DeliverSample(const Fill& fill, std::int64_t time, std::int32_t frame);
  // Wakes a delivery that waits for a free sample.
  void Interrupt();
  void Flush();
  bool Idle() const { return scheduler_.Idle(); }

  void OnClockStart();
  void OnClockPause();
  void OnClockStop();
  void Shutdown();

  // What the display control offers.
  void SetVideoPosition(const QRectF& source, const QRect& destination) { engine_.SetVideoPosition(source, destination); }
  void GetVideoPosition(QRectF* source, QRect* destination) const { engine_.GetVideoPosition(source, destination); }
  void SetAspectRatioMode(bool keep) { engine_.SetAspectRatioMode(keep); }
  void RepaintVideo() {
    if (repaint_) repaint_();
  }
  QImage GetCurrentImage() const { return scheduler_.Published().image; }
  PublishedFrame Published() const { return scheduler_.Published(); }
  // Nothing on screen: no picture can be shown for the frame asked for.
  void ClearPublished() { scheduler_.ClearPublished(); }
  void set_frame_duration(std::int64_t duration) { scheduler_.set_frame_duration(duration); }
  // Rates the presenter can play: x0.25 to x4.0 forwards.
  static bool IsRateSupported(double rate) { return rate >= 0.25 && rate <= 4.0; }
  const D3DPresentEngine& engine() const { return engine_; }

  void SetSingleFrameControl(int v0, int v1, int v2);
  std::array<int, 3> single_frame_control() const;

 private:
  PresentationClock& clock_;  // thread-safe
  const std::function<void()> repaint_;
  // Written by the driving thread before it posts a command and by the
  // worker when it takes one; read by both and by the scheduler thread.
  std::atomic<int> control_[3] = {1, 0, 0};
  // Written by the worker (clock events) and by Shutdown on the driving
  // thread; read by the worker.
  std::atomic<RenderState> state_{RenderState::kStopped};
  // Counts Interrupt() calls (driving thread); read by the worker.
  std::atomic<std::uint64_t> interruptions_{0};
  // These three guard themselves.
  D3DPresentEngine engine_;
  SamplePool pool_{4};
  Scheduler scheduler_;  // after the pool: it returns samples into it
};

}  // namespace player
