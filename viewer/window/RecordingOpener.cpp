#include "viewer/window/RecordingOpener.h"

#include <utility>

#include "library/ui/CFilerContainerDlg.h"
#include "player/PlayerMessages.h"
#include "viewer/commands/Controls.h"
#include "viewer/window/CQuorbexDlg.h"
#include "viewer/window/RecordingGraph.h"

namespace viewer {

RecordingOpener::RecordingOpener(CQuorbexDlg& window) : window_(window), loader_(&window.sink()) {
  open_timer_.setSingleShot(true);
  open_timer_.setInterval(kOpenDelayMs);
  QObject::connect(&open_timer_, &QTimer::timeout, [this] { OnOpenTimer(); });
  wait_timer_.setSingleShot(true);
  wait_timer_.setInterval(kWaitLimitMs);
  QObject::connect(&wait_timer_, &QTimer::timeout, [this] { Follow(sequence_.WaitTimedOut()); });

  // Called under "hMutexCache": the row becomes the current one and the
  // delay starts; the open itself waits for the timer.
  window_.filer()->on_recording_selected = [this](int row, const library::RecordingEntry&) { OnSelected(row); };
  window_.on_message = [this, next = std::move(window_.on_message)](const platform::Message& m) {
    OnMessage(m);
    if (next) next(m);
  };
  window_.on_command = [this, next = std::move(window_.on_command)](int command) {
    if (!OnCommand(command) && next) next(command);
  };
  window_.on_shutdown = [this, next = std::move(window_.on_shutdown)] {
    open_timer_.stop();
    wait_timer_.stop();
    loader_.Cancel();
    if (next) next();
  };
}

RecordingOpener::~RecordingOpener() {
  window_.filer()->on_recording_selected = nullptr;
  loader_.Cancel();
}

void RecordingOpener::OnSelected(int row) {
  window_.filer()->SelectRow(row);
  // While an open is in flight the row waits for it, and the wait limit
  // keeps running so that it ends at the latest then.
  if (sequence_.Select(row)) {
    open_timer_.start();
    wait_timer_.start();
  }
}

void RecordingOpener::OnOpenTimer() {
  const auto open = sequence_.BeginOpen();
  if (!open) return;
  const auto& rows = window_.filer()->list()->rows();
  if (open->index < 0 || static_cast<std::size_t>(open->index) >= rows.size()) {
    Follow(sequence_.OpenFailed(open->generation));
    return;
  }
  opened_ = rows[static_cast<std::size_t>(open->index)].path;
  loader_.Cancel();
  // The old players are closed before the new generation is stamped, so that
  // nothing they post can pass for the new open's.
  window_.views().Close();
  window_.player_sink().set_generation(open->generation);
  window_.SetState(false, false, false);
  RecordingGraph::Opening(*window_.graph());
  if (player::Failed(window_.views().Open(opened_))) {
    wait_timer_.stop();
    Follow(sequence_.OpenFailed(open->generation));
    return;
  }
  window_.UpdateEnabledControls();
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
    wait_timer_.stop();
    window_.views().Seek(0);
    loader_.Load(opened_, generation);
    window_.views().Play();
    ShowPlayState();
  }
  Follow(outcome);
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
  window_.SetState(true, false, false);
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
    open_timer_.start();
    wait_timer_.start();
  }
  window_.UpdateEnabledControls();
}

}  // namespace viewer
