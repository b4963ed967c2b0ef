#pragma once

#include <functional>

namespace viewer {

// Where the main window's timers run: Qt timers in the program, a host the
// test fires by hand in tests (so a 500 ms delay is checked without waiting
// for it). UI thread only.
class TimerHost {
 public:
  virtual ~TimerHost() = default;
  // (Re)starts timer id: after period_ms, and every period_ms after that
  // unless single_shot, on_timeout(id) runs. A single-shot timer is no
  // longer active when on_timeout runs.
  virtual void Start(int id, int period_ms, bool single_shot) = 0;
  virtual void Stop(int id) = 0;
  virtual bool IsActive(int id) const = 0;

  // Set by the owner of the timers.
  std::function<void(int id)> on_timeout;
};

}  // namespace viewer
