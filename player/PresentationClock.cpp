#include "player/PresentationClock.h"

namespace player {

std::int64_t PresentationClock::TimeLocked() const {
  if (!running_) return base_media_;
  const auto elapsed = std::chrono::duration_cast<std::chrono::nanoseconds>(Steady::now() - base_wall_).count();
  return base_media_ + static_cast<std::int64_t>(static_cast<double>(elapsed) / 100.0 * rate_);
}

void PresentationClock::Start(std::int64_t at) {
  std::lock_guard guard(lock_);
  base_media_ = at;
  base_wall_ = Steady::now();
  running_ = true;
}

void PresentationClock::Pause() {
  std::lock_guard guard(lock_);
  base_media_ = TimeLocked();
  running_ = false;
}

void PresentationClock::SetRate(double rate) {
  std::lock_guard guard(lock_);
  base_media_ = TimeLocked();
  base_wall_ = Steady::now();
  rate_ = rate;
}

std::int64_t PresentationClock::Time() const {
  std::lock_guard guard(lock_);
  return TimeLocked();
}

double PresentationClock::rate() const {
  std::lock_guard guard(lock_);
  return rate_;
}

bool PresentationClock::running() const {
  std::lock_guard guard(lock_);
  return running_;
}

}  // namespace player
