#pragma once

#include "platform/MessageSink.h"
#include "viewer/commands/PositionSync.h"
#include "viewer/commands/SpeedSteps.h"
#include "viewer/commands/ViewPairPlayers.h"
#include "viewer/window/WindowSyncViews.h"

namespace viewer {

class CQuorbexDlg;

// Playback in the main window once a recording is in: follows the position
// every 30 ms (timer 100) from the moment the opener reports the data
// loaded until the next open, runs the position slider's drag, the speed
// steps with their 500 ms debounce (timer 105), "first" (stop at frame 0),
// slow-motion steps, and keeps the guarded commands away from the end of a
// recording. The rules are PositionSync's, SpeedSteps' and CommandGuard's;
// this class runs them on the window. Installs itself in the window's
// hooks, in front of those set before it. UI thread only.
class PlaybackController {
 public:
  explicit PlaybackController(CQuorbexDlg& window);
  ~PlaybackController();
  PlaybackController(const PlaybackController&) = delete;
  PlaybackController& operator=(const PlaybackController&) = delete;

  const PositionSync& sync() const { return sync_; }
  // Where the graph and the info panel are told the position.
  WindowSyncViews& sync_views() { return views_; }
  // Seeks to frame in the current play state (a click on an event marker of
  // the map); nothing without a loaded recording or while one opens.
  void SeekTo(int frame);

 private:
  void OnRecordingStarted();
  void OnRecordingClosed();
  // True when the command was this class's (run or refused).
  bool OnCommand(int command);
  void OnMessage(const platform::Message& m);
  bool GuardAllows();
  void OnFirst();
  // The play command runs on in the opener; this adds what pausing and
  // playing do to the speed and the sound. False when refused.
  bool BeforePlayToggle();
  void AfterPlayToggle();
  void OnSpeed(SpeedCommand command);
  void OnSpeedSettled();
  void OnSpeedDebounceOver();
  void ShowSpeedText();

  CQuorbexDlg& window_;
  ViewPairPlayers players_;
  WindowSyncViews views_;
  PositionSync sync_;
};

}  // namespace viewer
