#include "viewer/window/RecordingOpener.h"

#include <utility>

#include "library/ui/CFilerContainerDlg.h"
#include "player/PlayerMessages.h"
#include "viewer/commands/Controls.h"
#include "viewer/window/CQuorbexDlg.h"
#include "viewer/window/RecordingGraph.h"
#include "viewer/window/WindowHooks.h"

namespace viewer {

RecordingOpener::RecordingOpener(CQuorbexDlg& window) : window_(window), loader_(&window.sink()) {
  window_.timers().SetHandler(kTimerOpen, [this] { OnOpenTimer(); });
  window_.timers().SetHandler(kTimerWaitLimit, [this] {
    EndWait();
    window_.RepaintVideos();
    Follow(sequence_.WaitTimedOut());
  });

  // Called under "hMutexCache": the row becomes the current one and the
  // delay starts; the open itself waits for the timer.
  window_.filer()->on_recording_selected = [this](int row, const library::RecordingEntry&) { Select(row); };
  window_.on_message = [this, next = std::move(window_.on_message)](const platform::Message& m) {
    OnMessage(m);
    if (next) next(m);
  };
  ChainCommand(window_, [this](int command) { return OnCommand(command); });
  window_.on_shutdown = [this, next = std::move(window_.on_shutdown)] {
    window_.timers().Stop(kTimerOpen);
    window_.timers().Stop(kTimerWaitLimit);
    loader_.Cancel();
    // Whatever the players and the loader still have queued is stale now.
    sequence_.Abandon();
    if (next) next();
  };
}

RecordingOpener::~RecordingOpener() {
  window_.filer()->on_recording_selected = nullptr;
  window_.timers().SetHandler(kTimerOpen, nullptr);
  window_.timers().SetHandler(kTimerWaitLimit, nullptr);
  loader_.Cancel();
}

bool RecordingOpener::open_delay_running() const { return window_.timers().IsActive(kTimerOpen); }

void RecordingOpener::Select(int row, bool automatic, bool play) {
  automatic_ = automatic;
  play_ = play;
  window_.filer()->SelectRow(row);
  // The data of the recording being left no longer counts.
  window_.SetState(false, false, false);
  // While an open is in flight the row waits for it, and the wait limit
  // keeps running so that it ends at the latest then.
  if (sequence_.Select(row)) Follow({false, true});
}

void RecordingOpener::OnOpenTimer() {
  const auto open = sequence_.BeginOpen();
  if (!open) return;
  const auto& rows = window_.filer()->list()->rows();
  if (open->index < 0 || static_cast<std::size_t>(open->index) >= rows.size()) {
    // The row went with a new list: nothing to tell the user.
    window_.timers().Stop(kTimerWaitLimit);
    EndWait();
    Follow(sequence_.OpenFailed(open->generation));
    return;
  }
  opened_ = rows[static_cast<std::size_t>(open->index)].path;
  if (on_recording_closed) on_recording_closed();
  loader_.Cancel();
  // The old players are closed before the new generation is stamped, so that
  // nothing they post can pass for the new open's.
  window_.views().Close();
  window_.player_sink().set_generation(open->generation);
  window_.SetState(false, waiting_, false);
  RecordingGraph::Opening(*window_.graph());
  if (player::Failed(window_.views().Open(opened_))) {
    Failed(open->index, open->generation);
    return;
  }
  window_.UpdateEnabledControls();
}

void RecordingOpener::CloseRecording() {
  window_.timers().Stop(kTimerOpen);
  window_.timers().Stop(kTimerWaitLimit);
  EndWait();
  sequence_.Abandon();
  loader_.Cancel();
  if (on_recording_closed) on_recording_closed();
  RecordingGraph::Opening(*window_.graph());
  auto& views = window_.views();
  views.Close();
  views.FreeSensorData();
  // Anything the closed players still have queued is now stale.
  window_.player_sink().set_generation(sequence_.generation());
  window_.SetState(false, false, false);
  ShowPlayState();
}

void RecordingOpener::OnMessage(const platform::Message& m) {
  const auto generation = static_cast<std::uint32_t>(m.wparam);
  if (m.message == player::WM_PLAYER_READY) {
    OnMediaReady(generation);
  } else if (m.message == kMessageDataLoaded) {
    OnDataLoaded(generation);
  }
}

void RecordingOpener::OnMediaReady(std::uint32_t generation) {
  // Each view reports on its own; the pair is ready when every open one has.
  if (generation == sequence_.generation() && !window_.views().media_ready()) return;
  const OpenSequence::Outcome outcome = sequence_.MediaReady(generation);
  if (outcome.accepted) {
    window_.views().Seek(0);
    loader_.Load(opened_, generation);
    if (play_) window_.views().Play();
    ShowPlayState();
  }
  Follow(outcome);
  if (outcome.accepted && on_media_ready) on_media_ready();
}

void RecordingOpener::OnDataLoaded(std::uint32_t generation) {
  if (!sequence_.DataLoaded(generation)) return;
  if (auto data = loader_.Take(generation)) {
    window_.views().TakeSensorData(*data);
  } else {
    // The data file did not decode: the previous recording's data must not
    // stand in for this one's.
    window_.views().FreeSensorData();
  }
  RecordingGraph::DataLoaded(*window_.graph(), window_.views(), opened_);
  window_.timers().Stop(kTimerWaitLimit);
  waiting_ = false;
  window_.unsetCursor();
  window_.SetState(true, false, false);
  if (on_recording_started) on_recording_started();
  if (on_data_loaded) on_data_loaded(sequence_.selected());
}

void RecordingOpener::Failed(int row, std::uint32_t generation) {
  window_.timers().Stop(kTimerWaitLimit);
  EndWait();
  const OpenSequence::Outcome outcome = sequence_.OpenFailed(generation);
  Follow(outcome);
  if (!outcome.accepted) return;
  if (on_open_failed) {
    on_open_failed(row, automatic_);
  } else {
    window_.ShowOpenFailed();
  }
}

void RecordingOpener::BeginWait() {
  if (!waiting_) window_.setCursor(Qt::WaitCursor);
  waiting_ = true;
  window_.SetState(false, true, false);
}

void RecordingOpener::EndWait() {
  if (!waiting_) return;
  waiting_ = false;
  window_.unsetCursor();
  window_.SetState(window_.loaded(), false, false);
}

bool RecordingOpener::OnCommand(int command) {
  if (command != CommandOf(Control::kPlay)) return false;
  if (!window_.loaded()) return true;
  auto& views = window_.views();
  if (views.state() == player::MovieView::ViewState::kPlaying) {
    views.Pause();
  } else {
    views.Play();
  }
  ShowPlayState();
  return true;
}

void RecordingOpener::ShowPlayState() {
  window_.SetPlayButton(window_.views().state() == player::MovieView::ViewState::kPlaying);
}

void RecordingOpener::Follow(const OpenSequence::Outcome& outcome) {
  if (outcome.start_delay) {
    window_.timers().Start(kTimerOpen);
    window_.timers().Start(kTimerWaitLimit);
    BeginWait();
  }
  window_.UpdateEnabledControls();
}

}  // namespace viewer
