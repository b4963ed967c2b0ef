#include "viewer/window/PlaybackController.h"

#include <utility>

#include "library/ui/CFilerContainerDlg.h"
#include "viewer/commands/CommandGuard.h"
#include "viewer/skin/CSkinSliderCtrl.h"
#include "viewer/window/CQuorbexDlg.h"
#include "viewer/window/RecordingOpener.h"

namespace viewer {

PlaybackController::PlaybackController(CQuorbexDlg& window)
    : window_(window), players_(window.views()), views_(*window.position_slider()), sync_(players_, &views_) {
  WindowTimers& timers = window_.timers();
  timers.SetHandler(WindowTimers::kSpeedSettle, [this] { OnSpeedSettled(); });
  timers.SetHandler(WindowTimers::kSpeedDebounce, [this] { OnSpeedDebounceOver(); });
  // Entering the refused zone holds the bar and the position slider once;
  // leaving it gives them back once.
  views_.guard_zone_changed = [this](bool entered) {
    window_.SetState(window_.loaded(), entered, window_.speed_debounce());
  };

  RecordingOpener& opener = window_.opener();
  opener.on_recording_started = [this] { OnRecordingStarted(); };
  opener.on_recording_closed = [this] { OnRecordingClosed(); };
  window_.on_playback_tick = [this, next = std::move(window_.on_playback_tick)] {
    sync_.Tick();
    if (next) next();
  };
  window_.on_command = [this, next = std::move(window_.on_command)](int command) {
    if (command == CommandOf(Control::kPlay)) {
      if (!BeforePlayToggle()) return;
      if (next) next(command);
      AfterPlayToggle();
      return;
    }
    if (!OnCommand(command) && next) next(command);
  };
  window_.on_message = [this, next = std::move(window_.on_message)](const platform::Message& m) {
    OnMessage(m);
    if (next) next(m);
  };
  window_.on_shutdown = [this, next = std::move(window_.on_shutdown)] {
    OnRecordingClosed();
    if (next) next();
  };
}

PlaybackController::~PlaybackController() {
  OnRecordingClosed();
  WindowTimers& timers = window_.timers();
  timers.SetHandler(WindowTimers::kSpeedSettle, nullptr);
  timers.SetHandler(WindowTimers::kSpeedDebounce, nullptr);
  window_.opener().on_recording_started = nullptr;
  window_.opener().on_recording_closed = nullptr;
}

void PlaybackController::OnRecordingStarted() {
  sync_.set_volume(window_.volume());
  const PositionSync::Started started = sync_.Start();
  window_.filer()->list()->SetOpenedDetails(window_.filer()->current_row(), started.quality,
                                            started.frame_period_ms);
  views_.ShowSpeedText(started.speed_text);
  window_.timers().Start(WindowTimers::kPlaybackTick);
}

void PlaybackController::OnRecordingClosed() {
  WindowTimers& timers = window_.timers();
  for (int id : {WindowTimers::kPlaybackTick, WindowTimers::kSpeedSettle, WindowTimers::kSpeedDebounce}) {
    timers.Stop(id);
  }
  sync_.Stop();
}

void PlaybackController::SeekTo(int frame) {
  if (!window_.loaded() || window_.opener().waiting()) return;
  sync_.SeekTo(frame);
  window_.SetPlayButton(players_.state() == PlayState::kPlaying);
  window_.UpdateEnabledControls();
}

bool PlaybackController::GuardAllows() {
  return CommandGuardAllows(window_.loaded(), players_.state(), players_.CurrentFrame(), players_.FrameCount(),
                            players_.speed_level());
}

bool PlaybackController::OnCommand(int command) {
  if (command == CommandOf(Control::kFirst)) {
    if (GuardAllows()) OnFirst();
    return true;
  }
  if (command == CommandOf(Control::kSlow) || command == CommandOf(Control::kFastForward)) {
    // Refused near the end, and while the last change settles.
    if (GuardAllows() && !window_.speed_debounce()) {
      OnSpeed(command == CommandOf(Control::kSlow) ? SpeedCommand::kSlower : SpeedCommand::kFaster);
    }
    return true;
  }
  return false;
}

void PlaybackController::OnFirst() {
  // Stop at the start: normal speed, silent, frame 0 on screen and on the
  // slider. Play restores the sound.
  player::ViewPair& views = window_.views();
  if (views.rate_code() != 1) views.SetRate(1);
  players_.SetVolume(0);
  if (players_.state() == PlayState::kPlaying) players_.Pause();
  players_.Seek(0);
  sync_.ShowSample(0);
  views.Stop();
  window_.SetPlayButton(false);
  ShowSpeedText();
}

bool PlaybackController::BeforePlayToggle() {
  if (!window_.loaded()) return true;  // the opener ignores it too
  if (players_.state() != PlayState::kPlaying) {
    players_.SetVolume(window_.volume());
    return true;
  }
  // Pausing is a guarded step near the end of a recording.
  return GuardAllows();
}

void PlaybackController::AfterPlayToggle() {
  if (!window_.loaded() || players_.state() == PlayState::kPlaying) return;
  // Paused: back to normal speed, and silent.
  if (window_.views().rate_code() != 1) window_.views().SetRate(1);
  players_.SetVolume(0);
  ShowSpeedText();
}

void PlaybackController::OnSpeed(SpeedCommand command) {
  const bool playing = players_.state() == PlayState::kPlaying;
  const int level = NextSpeedLevel(command, players_.speed_level(), playing, SpeedPlayer{});
  window_.views().SetRate(level);
  // Slow and fast-forward rest for 500 ms; the rest of the controls and the
  // speed text follow once the players have settled on the new level.
  window_.SetState(window_.loaded(), window_.held(), true);
  WindowTimers& timers = window_.timers();
  timers.Start(WindowTimers::kSpeedDebounce);
  timers.Start(WindowTimers::kSpeedSettle);
}

void PlaybackController::OnSpeedSettled() {
  window_.UpdateEnabledControls();
  ShowSpeedText();
}

void PlaybackController::OnSpeedDebounceOver() {
  window_.SetState(window_.loaded(), window_.held(), false);
}

void PlaybackController::ShowSpeedText() { views_.ShowSpeedText(sync_.SpeedText()); }

void PlaybackController::OnMessage(const platform::Message& m) {
  const auto frame = static_cast<int>(m.lparam);
  switch (m.message) {
    case kSliderDragStart:
    case kSliderMoved:
    case kSliderDragEnd:
      // The window passes on the position slider's only; a drag means
      // nothing while an open is in flight or without a recording.
      if (!window_.loaded() || window_.opener().waiting()) return;
      sync_.set_volume(window_.volume());
      if (m.message == kSliderDragStart) {
        // Our slider asks for no immediate preview: the press shows its
        // frame when the drag ends, or as it moves.
        sync_.DragStart(frame, false);
      } else if (m.message == kSliderMoved) {
        sync_.DragMove(frame);
      } else {
        sync_.DragEnd(frame);
        window_.SetPlayButton(players_.state() == PlayState::kPlaying);
        window_.UpdateEnabledControls();
      }
      return;
    case 0x8005:
      // A slow-motion step: both views and the slider show that frame.
      window_.views().ShowFrame(frame);
      sync_.ShowSample(frame);
      return;
    case 0x8003:
      // lParam -1: the player's range went back to the whole recording.
      if (m.lparam == -1 && sync_.started()) sync_.ResetRange(window_.views().FrameCount());
      return;
    default: return;
  }
}

}  // namespace viewer
