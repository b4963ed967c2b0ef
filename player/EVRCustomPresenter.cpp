#include "player/EVRCustomPresenter.h"

#include "player/PlayerMessages.h"

namespace player {

EVRCustomPresenter::EVRCustomPresenter(PresentationClock& clock, std::function<void()> repaint)
    : clock_(clock),
      repaint_(std::move(repaint)),
      scheduler_(clock, pool_, repaint_, [this] { return control_[0].load() != 0; }) {}

EVRCustomPresenter::~EVRCustomPresenter() { Shutdown(); }

void EVRCustomPresenter::SetSingleFrameControl(int v0, int v1, int v2) {
  control_[0] = v0;
  control_[1] = v1;
  control_[2] = v2;
  if (v0 != 0) pool_.Wake();
}

std::array<int, 3> EVRCustomPresenter::single_frame_control() const {
  return {control_[0].load(), control_[1].load(), control_[2].load()};
}

bool EVRCustomPresenter::DeliverSample(const Fill& fill, std::int64_t time, std::int32_t frame) {
  std::unique_ptr<VideoSample> sample;
  // Only an interruption during this wait ends it.
  const std::uint64_t interruptions = interruptions_.load();
  while (!sample) {
    if (state_ == RenderState::kShutdown || interruptions_.load() != interruptions) return false;
    // With the first control value off the decoder is not woken by returns
    // and looks again every 10 ms.
    sample = pool_.Take(std::chrono::milliseconds(10));
  }
  if (!fill(sample->image)) {
    pool_.Return(std::move(sample), false);
    return true;
  }
  sample->time = time;
  sample->frame = frame;
  const bool at_once = control_[1].exchange(0) != 0;
  if (at_once) scheduler_.PresentNextAtOnce();
  scheduler_.Schedule(std::move(sample));
  return true;
}

void EVRCustomPresenter::Interrupt() {
  ++interruptions_;
  pool_.Wake();
}

void EVRCustomPresenter::Flush() { scheduler_.Flush(); }

void EVRCustomPresenter::OnClockStart() {
  state_ = RenderState::kStarted;
  scheduler_.Release();
}

void EVRCustomPresenter::OnClockPause() { state_ = RenderState::kPaused; }

void EVRCustomPresenter::OnClockStop() {
  state_ = RenderState::kStopped;
  scheduler_.Flush();
}

void EVRCustomPresenter::Shutdown() {
  if (state_.exchange(RenderState::kShutdown) == RenderState::kShutdown) return;
  pool_.Wake();
  scheduler_.Flush();
}

}  // namespace player
