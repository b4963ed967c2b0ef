#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "mapview/CGoogleMapDlgWrap.h"
#include "mapview/GroupRoute.h"
#include "platform/MessageSink.h"
#include "viewer/commands/SyncViews.h"
#include "viewer/window/MapWindowFactory.h"

namespace viewer {

class CQuorbexDlg;

// Messages the map posts to the main window besides the page's two: the
// list's group track has been read (wParam: the load's generation), and the
// browser engine cannot show the page.
inline constexpr std::uint32_t kMessageGroupRouteLoaded = 0x8519;
inline constexpr std::uint32_t kMessageMapEngineFailed = 0x851A;

// The main window's map: makes the map window at start-up in the map's
// place beside the video (the logo window shows there while the map is
// hidden), keeps the page supplied and in step with playback: the list's
// group track (read on a thread of its own whenever the list changes) and
// the current recording's track on page-ready and on every recording start;
// the position, frame and play state on every frame shown and every change
// of state; the map hidden for a frame without a GPS fix, a recording
// whose data did not load or whose open failed, and in fullscreen. A click
// on an event marker seeks there. When the browser engine fails, the native
// window takes the web window's place with the same position and state.
// Chains itself into the window's hooks. UI thread only.
class MapController {
 public:
  explicit MapController(CQuorbexDlg& window);
  ~MapController();
  MapController(const MapController&) = delete;
  MapController& operator=(const MapController&) = delete;

  // Makes the map window again with factory, of the kind given (the
  // kind stays when none is).
  void UseFactory(MapWindowFactory factory, std::optional<MapWindowKind> kind = std::nullopt);
  // The connection monitor's flag: whether the tile server can be reached.
  void SetTilesReachable(std::function<int()> reachable);
  // Draws the current recording's track and event points again (the group
  // track stays), e.g. after the event kinds shown have changed.
  void RebuildCurrentTrack();

  mapview::CGoogleMapDlgWrap& wrap() { return *wrap_; }
  const mapview::GroupRoute& route() const { return route_; }
  QWidget* map_widget() const { return widget_.get(); }
  MapWindowKind kind() const { return kind_; }

 private:
  void MakeMapWindow();
  void DestroyMapWindow();
  // Puts the map window in the layout's map place and decides between it
  // and the logo window.
  void Place();
  void SetMapShown(bool show);
  void OnMessage(const platform::Message& m);
  void OnShowValues(const ShownValues& values);
  void OnRecordingStarted();
  // The recording has no data for the map (closed, failed, not decoded).
  void MarkNoData();
  void OnListChanged();
  // The tracks for the current row; the list's group track too unless told not.
  void Reload(bool group = true);
  void FollowPlayState();
  void SwapToNative();
  void Shutdown();

  CQuorbexDlg& window_;
  // The route before the wrapper: the wrapper's hook reads it.
  mapview::GroupRoute route_;
  std::function<int()> tiles_reachable_;
  std::unique_ptr<mapview::CGoogleMapDlgWrap> wrap_;
  MapWindowFactory factory_;
  MapWindowKind kind_;
  std::unique_ptr<QWidget> widget_;
  // Tells a stale window's engine failure from the current one's.
  std::uintptr_t window_generation_ = 0;
  int play_state_ = -1;  // the last sent to the map
  bool shut_down_ = false;
  // The hooks wrapped, put back on destruction (the window's other parts
  // may still call them while they go).
  std::function<void(const ShownValues&)> previous_show_values_;
  std::function<void()> previous_started_, previous_closed_, previous_entries_changed_;
  std::function<void(int, bool)> previous_open_failed_;
};

}  // namespace viewer
