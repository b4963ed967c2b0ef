#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>

namespace player {

// Media time in 100-ns units that runs at the playback rate while started.
// Thread-safe: the player sets it, the scheduler reads it.
class PresentationClock {
 public:
  void Start(std::int64_t at);  // start running from media time at
  void Pause();                 // stop at the current time
  void SetRate(double rate);
  std::int64_t Time() const;
  double rate() const;
  bool running() const;

 private:
  using Steady = std::chrono::steady_clock;
  std::int64_t TimeLocked() const;
  mutable std::mutex lock_;  // guards everything below
  bool running_ = false;
  double rate_ = 1.0;
  std::int64_t base_media_ = 0;
  Steady::time_point base_wall_{};
};

}  // namespace player
