#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>

#include "platform/MessageSink.h"
#include "viewer/commands/OpenSequence.h"
#include "viewer/commands/RecordingLoader.h"
#include "viewer/window/WindowTimers.h"

namespace viewer {

class CQuorbexDlg;

// Opens the recording selected in the main window's list: each selection
// (re)starts a 500 ms delay (timer 101), so clicking through several rows
// opens only the last; the delay opens the pair, media ready shows frame 0
// and starts the data loader and playback, data loaded hands the data to
// the views. An open that takes longer than 5 s (timer 102) gives the gate
// back; from the selection until the data is loaded (or the open fails or
// times out) the window shows the wait cursor and holds the bar and the
// position slider. A recording the user selected that fails to open gets
// UI text 99 in a message box. The play command toggles play and pause
// once the data is loaded. Decisions about stale messages and
// the gate are OpenSequence's; this class only runs them on the window.
// Installs itself in the window's hooks and passes on what it does not
// handle to the hooks set before it. UI thread only.
class RecordingOpener {
 public:
  static constexpr int kTimerOpen = WindowTimers::kOpenDelay;
  static constexpr int kTimerWaitLimit = WindowTimers::kWaitLimit;

  explicit RecordingOpener(CQuorbexDlg& window);
  ~RecordingOpener();
  RecordingOpener(const RecordingOpener&) = delete;
  RecordingOpener& operator=(const RecordingOpener&) = delete;

  // Makes row the current recording and opens it after the delay, as a click
  // on it does. automatic: the program chose it (the end of a recording,
  // folder auto-advance), so a failure may move on by itself; play: playback
  // starts when the pictures are ready, otherwise the recording opens stopped
  // at its start. Call under "hMutexCache".
  void Select(int row, bool automatic = false, bool play = true);
  // Closes the recording without choosing another (a folder change, a lost
  // source): the delay and the wait limit stop, the loader is joined, the
  // players close, nothing is current and whatever they still post is
  // stale. Joins a thread: never call it under "hMutexCache".
  void CloseRecording();
  // An end of recording reported for generation: true once per open, and
  // only for the current one.
  bool AcceptEnd(std::uint32_t generation) { return sequence_.EndOfRecording(generation); }
  // Decodes the sensor data of video (the next recording) ahead; the load of
  // that recording then takes it instead of decoding again.
  void Prefetch(const std::filesystem::path& video) { loader_.Prefetch(video); }

  // What became of the current open (UI thread; each may select again).
  // The open of row failed; automatic as it was selected. Unset, the user
  // is told (UI text 99).
  std::function<void(int row, bool automatic)> on_open_failed;
  // The pictures are ready and playback started (when asked).
  std::function<void()> on_media_ready;
  // The sensor data of row is in the views.
  std::function<void(int row)> on_data_loaded;

  const OpenSequence& sequence() const { return sequence_; }
  // The front file of the last open started; empty before the first.
  const std::filesystem::path& opened() const { return opened_; }
  bool open_delay_running() const;
  // The wait cursor is on and the controls are held: a selection is being
  // opened.
  bool waiting() const { return waiting_; }

  // The recording's video and data are both in: the playback controller
  // starts following it. Called once per open.
  std::function<void()> on_recording_started;
  // The current recording goes away (another is being opened, or it is
  // closed): the playback controller stops following it.
  std::function<void()> on_recording_closed;

 private:
  void OnOpenTimer();
  void OnMessage(const platform::Message& m);
  bool OnCommand(int command);
  void OnMediaReady(std::uint32_t generation);
  void OnDataLoaded(std::uint32_t generation);
  // Restarts the delay when the outcome asks for it; recomputes the controls.
  void Follow(const OpenSequence::Outcome& outcome);
  // The play button's face from the pair's state.
  void ShowPlayState();
  void BeginWait();
  void EndWait();
  void Failed(int row, std::uint32_t generation);

  CQuorbexDlg& window_;
  OpenSequence sequence_;
  RecordingLoader loader_;
  std::filesystem::path opened_;
  bool waiting_ = false;
  bool automatic_ = false;  // of the last selection
  bool play_ = true;        // of the last selection
};

}  // namespace viewer
