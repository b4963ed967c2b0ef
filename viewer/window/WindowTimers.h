#pragma once

#include <functional>
#include <map>
#include <memory>

#include "viewer/window/TimerHost.h"

namespace viewer {

// The main window's timers as one table: each id has its period and whether
// it fires once; the controllers that own an id give it a handler. Timers
// 103 and 104 serve a framework's idle processing and have no work on this
// platform, so they have no row. UI thread only.
class WindowTimers {
 public:
  static constexpr int kPlaybackTick = 100;  // 30 ms, repeating
  static constexpr int kOpenDelay = 101;     // 500 ms once after a selection
  static constexpr int kWaitLimit = 102;     // 5 s once: an open in flight gives the controls back
  static constexpr int kSpeedDebounce = 105;  // 500 ms once after a speed change
  // Ours: the players settle for 100 ms after a speed change before the
  // speed is read back (a timer, so the UI thread never sleeps).
  static constexpr int kSpeedSettle = 106;

  // Runs on Qt timers until UseHost.
  WindowTimers();
  ~WindowTimers();
  WindowTimers(const WindowTimers&) = delete;
  WindowTimers& operator=(const WindowTimers&) = delete;

  // Moves every timer to host (which must outlive this or the next
  // UseHost); timers running on the old host are stopped.
  void UseHost(TimerHost& host);

  // What runs when timer id expires; ids without a row are refused.
  void SetHandler(int id, std::function<void()> handler);
  // (Re)starts timer id with its period; an id without a row does nothing.
  void Start(int id);
  void Stop(int id);
  void StopAll();
  bool IsActive(int id) const;
  // The period of id in milliseconds; 0 for an id without a row.
  static int PeriodMs(int id);

 private:
  void Fire(int id);

  std::unique_ptr<TimerHost> own_host_;
  TimerHost* host_;
  std::map<int, std::function<void()>> handlers_;
};

}  // namespace viewer
