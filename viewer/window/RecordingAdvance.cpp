#include "viewer/window/RecordingAdvance.h"

#include <utility>

#include "library/SourceWatcher.h"
#include "library/ui/CFilerContainerDlg.h"
#include "platform/NamedMutexLock.h"
#include "player/PlayerMessages.h"
#include "viewer/commands/CommandGuard.h"
#include "viewer/commands/Controls.h"
#include "viewer/skin/CSkinSliderCtrl.h"
#include "viewer/window/CQuorbexDlg.h"
#include "viewer/window/FullscreenController.h"
#include "viewer/window/RecordingOpener.h"
#include "viewer/window/ViewModes.h"
#include "viewer/window/WindowHooks.h"
#include "viewer/window/ZoomController.h"

namespace viewer {
namespace {

// The players' end as a video window forwards it (stamped with the open's
// generation like the players' own), and an end that comes without one.
constexpr std::uint32_t kMessageForwardedEnd = 0x8260;
constexpr std::uint32_t kMessageEnd = 0x8001;
constexpr int kNormalSpeed = 1;

}  // namespace

RecordingAdvance::RecordingAdvance(CQuorbexDlg& window, RecordingOpener& opener,
                                   const std::filesystem::path& executable)
    : window_(window),
      opener_(opener),
      cache_mutex_(platform::NamedMutex::Create("hMutexCache")),
      drive_loss_(executable) {
  window_.on_message = [this, next = std::move(window_.on_message)](const platform::Message& m) {
    OnMessage(m);
    if (next) next(m);
  };
  ChainCommand(window_, [this](int command) { return OnCommand(command); });
  opener_.on_open_failed = [this](int row, bool automatic) { OnOpenFailed(row, automatic); };
  opener_.on_media_ready = [this] {
    // The open went through: a new run of automatic opens begins, and a
    // folder switch is over.
    continuation_.Reset();
    auto_advance_ = false;
  };
  opener_.on_data_loaded = [this](int row) { OnDataLoaded(row); };
  // A folder selected in the tree (by the user, a source opened, or folder
  // auto-advance) is listed by the handler before this one; its first
  // recording is then opened.
  auto& hook = window_.filer()->tree()->on_selection_changed;
  list_folder_ = std::move(hook);
  hook = [this](library::TreeItem* item) { OnFolderSelected(item); };
}

RecordingAdvance::~RecordingAdvance() {
  opener_.on_open_failed = nullptr;
  opener_.on_media_ready = nullptr;
  opener_.on_data_loaded = nullptr;
  // The tree outlives this object; it lists folders without playing them then.
  window_.filer()->tree()->on_selection_changed = list_folder_;
}

int RecordingAdvance::RowCount() const { return static_cast<int>(window_.filer()->list()->rows().size()); }

bool RecordingAdvance::OnCommand(int command) {
  if (command == CommandOf(Control::kPrevious)) {
    OnPrevious();
  } else if (command == CommandOf(Control::kNext)) {
    OnNext();
  } else {
    return false;
  }
  return true;
}

void RecordingAdvance::OnMessage(const platform::Message& m) {
  switch (m.message) {
    case player::WM_PLAYER_ENDED:
    case kMessageForwardedEnd: {
      const auto generation = static_cast<std::uint32_t>(m.wparam);
      // Both views report their end; the front's decides, so that a rear
      // recording ending a moment earlier never cuts the front short.
      if (generation != opener_.sequence().generation() ||
          window_.views().reading_view().player_state() != player::PlayerState::kStopped) {
        return;
      }
      OnEnd(generation);
      break;
    }
    case kMessageEnd:
    case player::WM_SLOW_STEP_END:
      if (window_.loaded()) OnEnd(opener_.sequence().generation());
      break;
    case library::kMessageSourceLost:
      OnSourceLost();
      break;
    default:
      break;
  }
}

void RecordingAdvance::OnEnd(std::uint32_t generation) {
  // One end per open: a second (or a stale) one would skip a recording.
  if (!opener_.AcceptEnd(generation)) return;
  MoveOn(false);
}

bool RecordingAdvance::GuardAllows() const {
  player::ViewPair& views = window_.views();
  return CommandGuardAllows(window_.loaded(), static_cast<PlayState>(views.state()), views.CurrentFrame(),
                            views.FrameCount(), views.rate_code());
}

void RecordingAdvance::Halt() {
  player::ViewPair& views = window_.views();
  views.SetVolume(0);  // back when the next recording's data is loaded
  views.Pause();
  views.Stop();
}

void RecordingAdvance::OnPrevious() {
  if (!GuardAllows()) return;
  Halt();
  {
    platform::NamedMutexLock lock(*cache_mutex_);
    const int row = window_.filer()->current_row();
    if (row > 0) {
      opener_.Select(row - 1);
      return;
    }
  }
  // The first recording: back to its start, stopped.
  player::ViewPair& views = window_.views();
  views.SetRate(kNormalSpeed);
  views.ShowFrame(0);
  views.SetVolume(window_.volume());
  window_.position_slider()->SetValue(0);
  window_.SetPlayButton(false);
}

void RecordingAdvance::OnNext() {
  if (!GuardAllows()) return;
  platform::NamedMutexLock lock(*cache_mutex_);
  const int next = window_.filer()->current_row() + 1;
  if (next >= RowCount()) return;  // the last recording: the button is off there
  Halt();
  opener_.Select(next);
}

void RecordingAdvance::MoveOn(bool after_failure) {
  {
    platform::NamedMutexLock lock(*cache_mutex_);
    const int next = window_.filer()->current_row() + 1;
    if (next < RowCount()) {
      opener_.Select(next, true);
      return;
    }
  }
  // The folder's last recording. Folder changes close the players (joining
  // the loader), so they run outside the lock.
  Halt();
  auto_advance_ = true;
  if (NextFolder()) return;
  EndAutoAdvance();
  if (after_failure) {
    window_.ShowOpenFailed();
    return;
  }
  // No folder follows: the last recording again, stopped at its start.
  window_.views().SetRate(kNormalSpeed);
  platform::NamedMutexLock lock(*cache_mutex_);
  opener_.Select(window_.filer()->current_row(), false, false);
}

bool RecordingAdvance::NextFolder() {
  library::CFilerContainerDlg* filer = window_.filer();
  library::TreeItem* next = filer->scanner().tree().NextSibling(filer->tree()->selected());
  if (next == nullptr) return false;
  filer->tree()->Select(next);  // lists it and plays its first recording (OnFolderSelected)
  return true;
}

void RecordingAdvance::OnFolderSelected(library::TreeItem* item) {
  // The rows are about to change under the current recording.
  opener_.CloseRecording();
  if (!auto_advance_) window_.views().SetRate(kNormalSpeed);
  if (list_folder_) list_folder_(item);
  if (RowCount() > 0) {
    // Only folder auto-advance plays it; a folder the user (or a new source)
    // chose opens stopped at its start.
    platform::NamedMutexLock lock(*cache_mutex_);
    opener_.Select(0, auto_advance_, auto_advance_);
    return;
  }
  // An empty folder: auto-advance goes on to the next one that holds recordings.
  if (auto_advance_ && !NextFolder()) EndAutoAdvance();
}

void RecordingAdvance::EndAutoAdvance() {
  auto_advance_ = false;
  continuation_.Reset();
  // Nothing follows: the user gets the whole picture and the window back.
  ViewModes& modes = window_.view_modes();
  modes.zoom().ZoomOff();
  if (modes.fullscreen().fullscreen()) modes.fullscreen().Leave();
}

void RecordingAdvance::OnOpenFailed(int row, bool automatic) {
  std::filesystem::path recording;
  {
    platform::NamedMutexLock lock(*cache_mutex_);
    const auto& rows = window_.filer()->list()->rows();
    if (row >= 0 && row < static_cast<int>(rows.size())) recording = rows[static_cast<std::size_t>(row)].path;
  }
  if (automatic && continuation_.ContinueAfterFailure(recording, RowCount())) {
    MoveOn(true);
    return;
  }
  continuation_.Reset();
  auto_advance_ = false;
  window_.ShowOpenFailed();
}

void RecordingAdvance::OnDataLoaded(int row) {
  window_.views().SetVolume(window_.volume());
  std::filesystem::path next;
  {
    // The path is copied under the lock; the prefetch joins its previous
    // thread, which is never done under it.
    platform::NamedMutexLock lock(*cache_mutex_);
    const auto& rows = window_.filer()->list()->rows();
    if (row >= 0 && row + 1 < static_cast<int>(rows.size())) next = rows[static_cast<std::size_t>(row) + 1].path;
  }
  if (!next.empty()) opener_.Prefetch(next);
}

void RecordingAdvance::OnSourceLost() {
  library::CFilerContainerDlg* filer = window_.filer();
  const library::SourceLoss loss = drive_loss_.Classify(filer->scanner().watcher().source_device());
  // The user pulled the card: everything from it goes, with no message box.
  auto_advance_ = false;
  continuation_.Reset();
  opener_.CloseRecording();
  filer->list()->set_current_row(-1);
  filer->scanner().ClearEntries();
  window_.UpdateEnabledControls();
  if (loss == library::SourceLoss::kProgramDrive) window_.OnCommand(kCommandClose);
}

}  // namespace viewer
