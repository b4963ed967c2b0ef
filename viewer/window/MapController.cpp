#include "viewer/window/MapController.h"

#include <algorithm>
#include <filesystem>
#include <utility>
#include <vector>

#include "library/SourceWatcher.h"
#include "library/ui/CFilerContainerDlg.h"
#include "viewer/commands/MainWindowLayout.h"
#include "viewer/skin/CLogoDlg.h"
#include "viewer/window/CQuorbexDlg.h"
#include "viewer/window/FullscreenController.h"
#include "viewer/window/PlaybackController.h"
#include "viewer/window/RecordingOpener.h"
#include "viewer/window/ViewModes.h"
#include "viewer/window/WindowHooks.h"

namespace viewer {
namespace {

// The map's play state: 0 playing, 1 paused, 2 stopped; -1 nothing open.
int MapPlayState(player::MovieView::ViewState state) {
  switch (state) {
    case player::MovieView::ViewState::kPlaying: return 0;
    case player::MovieView::ViewState::kPaused: return 1;
    case player::MovieView::ViewState::kStopped: return 2;
    default: return -1;
  }
}

}  // namespace

MapController::MapController(CQuorbexDlg& window)
    : window_(window), factory_(viewer::CreateMapWindow), kind_(ChooseMapWindowKind()) {
  mapview::CGoogleMapDlgWrap::Hooks hooks;
  hooks.post = [this](std::uint32_t message, std::intptr_t lparam) { window_.sink().Post(message, 0, lparam); };
  hooks.tiles_reachable = [this] { return tiles_reachable_ ? tiles_reachable_() : 0; };
  hooks.group_route = [this] { return route_.Copy(); };
  hooks.grid = [this] {
    std::optional<std::vector<recording::GpsSample>> grid;
    window_.views().reading_view().ReadSensorData([&grid](const recording::SensorDataFile& data) {
      if (data.loaded()) grid = data.gps();
    });
    // The copies outlive the lock: their links into the data must not.
    if (grid) {
      for (recording::GpsSample& sample : *grid) sample.accel_link = nullptr;
    }
    return grid;
  };
  wrap_ = std::make_unique<mapview::CGoogleMapDlgWrap>(std::move(hooks));

  WindowSyncViews& sync = window_.playback().sync_views();
  previous_show_values_ = std::move(sync.show_values);
  sync.show_values = [this](const ShownValues& values) {
    if (previous_show_values_) previous_show_values_(values);
    OnShowValues(values);
  };
  RecordingOpener& opener = window_.opener();
  previous_started_ = std::move(opener.on_recording_started);
  opener.on_recording_started = [this] {
    if (previous_started_) previous_started_();
    OnRecordingStarted();
  };
  previous_open_failed_ = std::move(opener.on_open_failed);
  opener.on_open_failed = [this](int row, bool automatic) {
    MarkNoData();
    if (previous_open_failed_) {
      previous_open_failed_(row, automatic);
    } else {
      window_.ShowOpenFailed();
    }
  };
  library::SourceScanner& scanner = window_.filer()->scanner();
  previous_entries_changed_ = std::move(scanner.on_entries_changed);
  scanner.on_entries_changed = [this] {
    if (previous_entries_changed_) previous_entries_changed_();
    OnListChanged();
  };
  ChainMessage(window_, [this](const platform::Message& m) { OnMessage(m); });
  // After every command: play, pause and stop all come that way.
  window_.on_command = [this, next = std::move(window_.on_command)](int command) {
    if (next) next(command);
    FollowPlayState();
  };
  ChainAfter(window_.on_playback_tick, [this] { FollowPlayState(); });
  ChainAfter(window_.on_layout_applied, [this] { Place(); });
  ChainAfter(window_.on_views_applied, [this] { Place(); });
  ChainAfter(window_.on_shutdown, [this] { Shutdown(); });
  MakeMapWindow();
}

MapController::~MapController() {
  Shutdown();
  window_.playback().sync_views().show_values = std::move(previous_show_values_);
  window_.opener().on_recording_started = std::move(previous_started_);
  window_.opener().on_open_failed = std::move(previous_open_failed_);
  window_.filer()->scanner().on_entries_changed = std::move(previous_entries_changed_);
}

void MapController::UseFactory(MapWindowFactory factory, std::optional<MapWindowKind> kind) {
  factory_ = std::move(factory);
  if (kind) kind_ = *kind;
  MakeMapWindow();
}

void MapController::SetTilesReachable(std::function<int()> reachable) { tiles_reachable_ = std::move(reachable); }

void MapController::MakeMapWindow() {
  if (shut_down_) return;
  DestroyMapWindow();
  const std::uintptr_t generation = ++window_generation_;
  CreatedMapWindow made = factory_(kind_, &window_, wrap_.get(), [this, generation] {
    // Not here: the failing window is still inside its own call.
    window_.sink().Post(kMessageMapEngineFailed, generation, 0);
  });
  widget_ = std::move(made.widget);
  // A new page starts over: page-ready comes again, with the reload it brings.
  wrap_->SetWindow(made.map);
  Place();
}

void MapController::DestroyMapWindow() {
  // The wrapper lets go first, so that nothing reaches a window being torn down.
  wrap_->SetWindow(nullptr);
  widget_.reset();
}

void MapController::Place() {
  if (!widget_) return;
  const MainWindowLayout layout = LayoutForSizeMode(window_.size_mode());
  if (!layout.map || window_.view_modes().fullscreen().fullscreen()) {
    // Fullscreen hides the logo window itself and shows it again on leaving.
    widget_->hide();
    return;
  }
  const LayoutRect& r = *layout.map;
  widget_->setGeometry(r.left, r.top, r.width, r.height);
  const bool shown = wrap_->shown();
  widget_->setVisible(shown);
  window_.logo()->setVisible(!shown);
  if (shown) widget_->raise();
}

void MapController::SetMapShown(bool show) {
  if (wrap_->ShowMap(show)) Place();
}

void MapController::OnMessage(const platform::Message& m) {
  if (shut_down_) return;
  switch (m.message) {
    case mapview::kMessageMapPageReady:
      Reload();
      play_state_ = -1;  // the new page has no state yet
      FollowPlayState();
      return;
    case mapview::kMessageMapCrashPoint: window_.playback().SeekTo(static_cast<int>(m.lparam)); return;
    case kMessageGroupRouteLoaded:
      if (static_cast<std::uint32_t>(m.wparam) == route_.generation()) Reload();
      return;
    case kMessageMapEngineFailed:
      if (m.wparam == window_generation_) SwapToNative();
      return;
    case library::kMessageSourceLost:
      // Nothing is listed nor open any more.
      route_.Clear();
      MarkNoData();
      Reload();
      return;
    default: return;
  }
}

void MapController::OnShowValues(const ShownValues& values) {
  wrap_->SetFrame(values.frame);
  if (values.gps_valid) {
    wrap_->SetPosition(values.latitude, values.longitude);
    SetMapShown(true);
  } else {
    // No fix, or no sample at all: a map here would show another place.
    SetMapShown(false);
  }
}

void MapController::OnRecordingStarted() {
  bool loaded = false;
  window_.views().reading_view().ReadSensorData(
      [&loaded](const recording::SensorDataFile& data) { loaded = data.loaded(); });
  if (!loaded) MarkNoData();
  Reload();
  play_state_ = -1;
  FollowPlayState();
}

void MapController::MarkNoData() {
  wrap_->SetFrame(-1);
  SetMapShown(false);
}

void MapController::OnListChanged() {
  std::vector<std::filesystem::path> videos;
  for (const library::RecordingEntry& entry : window_.filer()->list()->rows()) videos.emplace_back(entry.path);
  platform::MessageSink& sink = window_.sink();
  route_.Load(std::move(videos), [&sink](std::uint32_t generation) { sink.Post(kMessageGroupRouteLoaded, generation, 0); });
  // The old list's track goes at once; the new one follows when read.
  Reload();
}

void MapController::RebuildCurrentTrack() { Reload(false); }

void MapController::Reload(bool group) { wrap_->ReloadTrack(std::max(window_.filer()->current_row(), 0), group); }

void MapController::FollowPlayState() {
  if (shut_down_) return;
  const int state = MapPlayState(window_.views().state());
  if (state < 0 || state == play_state_) return;
  play_state_ = state;
  wrap_->SetPlayState(state);
}

void MapController::SwapToNative() {
  if (kind_ == MapWindowKind::kNative) return;
  kind_ = MapWindowKind::kNative;
  MakeMapWindow();
}

void MapController::Shutdown() {
  if (shut_down_) return;
  shut_down_ = true;
  route_.Clear();  // its thread is joined here
  DestroyMapWindow();
}

}  // namespace viewer
