#pragma once

#include <QTimer>
#include <map>
#include <memory>

#include "viewer/window/TimerHost.h"

namespace viewer {

// The window's timers as Qt timers, one per id.
class QtTimerHost : public TimerHost {
 public:
  void Start(int id, int period_ms, bool single_shot) override;
  void Stop(int id) override;
  bool IsActive(int id) const override;

 private:
  std::map<int, std::unique_ptr<QTimer>> timers_;
};

}  // namespace viewer
