#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "mapview/CJsonHolder.h"
#include "mapview/MapSink.h"
#include "mapview/MapWindow.h"

namespace mapview {

// Posted to the main window: the page has built its map (wParam and lParam
// 0), and an event marker was clicked (lParam = its sample position).
inline constexpr std::uint32_t kMessageMapPageReady = 0x812D;
inline constexpr std::uint32_t kMessageMapCrashPoint = 0x812E;

// The main window's one set of operations over whichever map window exists,
// and the answers to the page's calls. Holds what the page reads: whether
// the page is ready for track statements, the frame on screen, the position
// and the play-state text. UI thread only, except the hooks' own locking.
class CGoogleMapDlgWrap : public MapSink {
 public:
  struct Hooks {
    // Posts a message to the main window (never waits).
    std::function<void(std::uint32_t message, std::intptr_t lparam)> post;
    // Whether the tile server answered the connection monitor's last probe
    // (nonzero: yes); unset counts as not reachable.
    std::function<int()> tiles_reachable;
    // A copy of the GPS records of every recording of the list, taken under
    // the route's lock.
    std::function<std::vector<recording::GpsSample>()> group_route;
    // The current recording's GPS records read under the data lock; nullopt
    // when it has no sample list.
    std::function<std::optional<std::vector<recording::GpsSample>>()> grid;
  };

  explicit CGoogleMapDlgWrap(Hooks hooks);

  // The window the operations drive (nullptr: none). A new window gets the
  // current position, play-state text and visibility; the page-ready flag
  // starts over, since a new window loads its page again.
  void SetWindow(MapWindow* window);
  MapWindow* window() const { return window_; }

  // Runs one statement in the page; nothing without a window.
  void ExecScript(const std::string& statement);
  // Nothing until the page is ready; then clears the event markers and the
  // current recording's lines, draws the list's track (group only) and the
  // recording index's track with its marker.
  void ReloadTrack(int index, bool group);
  // 0 playing (no text), 1 paused ("pause"), 2 stopped ("stop", and the
  // marker is moved to the frame on screen once the page is ready); the
  // values then go to the window.
  void SetPlayState(int state);
  // Shows or hides the map window (hidden at first); true when its
  // visibility changed.
  bool ShowMap(bool show);
  bool shown() const { return shown_; }
  // The position of the frame on screen (a valid fix); to the window.
  void SetPosition(double lat, double lng);
  // The frame on screen within the current recording (the page's
  // GetRelJpgNum).
  void SetFrame(int frame) { frame_ = frame; }
  int frame() const { return frame_; }
  bool page_ready() const { return page_ready_; }
  double lat() const { return lat_; }
  double lng() const { return lng_; }
  const std::string& status_text() const { return status_text_; }

  // MapSink: the page's calls.
  int ConnectTest() override;
  void OnInitHtml() override;
  std::string GetMapURL() override;
  std::vector<recording::GpsSample> GetGPSData() override;
  std::optional<std::vector<recording::GpsSample>> GetGridData() override;
  int GetRelJpgNum() override { return frame_; }
  void OnClickCrashPoint(int ifile, int igrid, int ipos, int valid, double lat, double lng, double speed,
                         double direction) override;
  bool SetSend() override;

 private:
  void Post(std::uint32_t message, std::intptr_t lparam);
  void PushData();

  Hooks hooks_;
  MapWindow* window_ = nullptr;
  CJsonHolder json_;
  bool page_ready_ = false;
  bool shown_ = false;  // until a position is there to show
  int frame_ = -1;
  double lat_ = 0.0, lng_ = 0.0;
  std::string status_text_;
  std::optional<bool> online_mark_;  // last shown
};

}  // namespace mapview
