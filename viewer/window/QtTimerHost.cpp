#include "viewer/window/QtTimerHost.h"

namespace viewer {

void QtTimerHost::Start(int id, int period_ms, bool single_shot) {
  std::unique_ptr<QTimer>& timer = timers_[id];
  if (!timer) {
    timer = std::make_unique<QTimer>();
    QObject::connect(timer.get(), &QTimer::timeout, [this, id] {
      if (on_timeout) on_timeout(id);
    });
  }
  timer->setSingleShot(single_shot);
  timer->start(period_ms);
}

void QtTimerHost::Stop(int id) {
  const auto it = timers_.find(id);
  if (it != timers_.end()) it->second->stop();
}

bool QtTimerHost::IsActive(int id) const {
  const auto it = timers_.find(id);
  return it != timers_.end() && it->second->isActive();
}

}  // namespace viewer
