#pragma once

#include <map>

#include "viewer/window/TimerHost.h"

namespace viewer {

// The window's timers fired by the test: nothing expires by itself, so a
// 500 ms delay or a 30 ms tick is checked without waiting for it.
class ManualTimerHost : public TimerHost {
 public:
  void Start(int id, int period_ms, bool single_shot) override { running_[id] = {period_ms, single_shot}; }
  void Stop(int id) override { running_.erase(id); }
  bool IsActive(int id) const override { return running_.count(id) != 0; }

  // Runs timer id as if it expired; false (and nothing runs) when it is not
  // running.
  bool Fire(int id) {
    const auto it = running_.find(id);
    if (it == running_.end()) return false;
    if (it->second.single_shot) running_.erase(it);
    if (on_timeout) on_timeout(id);
    return true;
  }
  // The period timer id was last started with; 0 when it is not running.
  int PeriodOf(int id) const {
    const auto it = running_.find(id);
    return it == running_.end() ? 0 : it->second.period_ms;
  }

 private:
  struct Running {
    int period_ms;
    bool single_shot;
  };
  std::map<int, Running> running_;
};

}  // namespace viewer
