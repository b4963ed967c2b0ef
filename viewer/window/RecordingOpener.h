#pragma once

#include <QTimer>
#include <cstdint>
#include <filesystem>

#include "platform/MessageSink.h"
#include "viewer/commands/OpenSequence.h"
#include "viewer/commands/RecordingLoader.h"

namespace viewer {

class CQuorbexDlg;

// Opens the recording selected in the main window's list: each selection
// (re)starts a 500 ms delay (timer 101), so clicking through several rows
// opens only the last; the delay opens the pair, media ready shows frame 0
// and starts the data loader and playback, data loaded hands the data to
// the views. An open that takes longer than 5 s (timer 102) gives the gate
// back. The play command toggles play and pause once the data is loaded. Decisions about stale messages and
// the gate are OpenSequence's; this class only runs them on the window.
// Installs itself in the window's hooks and passes on what it does not
// handle to the hooks set before it. UI thread only.
class RecordingOpener {
 public:
  static constexpr int kTimerOpen = 101;
  static constexpr int kOpenDelayMs = 500;
  static constexpr int kTimerWaitLimit = 102;
  static constexpr int kWaitLimitMs = 5000;

  explicit RecordingOpener(CQuorbexDlg& window);
  ~RecordingOpener();
  RecordingOpener(const RecordingOpener&) = delete;
  RecordingOpener& operator=(const RecordingOpener&) = delete;

  const OpenSequence& sequence() const { return sequence_; }
  // The front file of the last open started; empty before the first.
  const std::filesystem::path& opened() const { return opened_; }
  bool open_delay_running() const { return open_timer_.isActive(); }

 private:
  void OnSelected(int row);
  void OnOpenTimer();
  void OnMessage(const platform::Message& m);
  bool OnCommand(int command);
  void OnMediaReady(std::uint32_t generation);
  void OnDataLoaded(std::uint32_t generation);
  // Restarts the delay when the outcome asks for it; recomputes the controls.
  void Follow(const OpenSequence::Outcome& outcome);
  // The play button's face from the pair's state.
  void ShowPlayState();

  CQuorbexDlg& window_;
  OpenSequence sequence_;
  RecordingLoader loader_;
  QTimer open_timer_;  // 101
  QTimer wait_timer_;  // 102
  std::filesystem::path opened_;
};

}  // namespace viewer
