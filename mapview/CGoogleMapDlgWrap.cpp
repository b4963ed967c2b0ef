#include "mapview/CGoogleMapDlgWrap.h"

#include <utility>

#include "mapview/MapScript.h"
#include "mapview/MapPageAddress.h"

namespace mapview {

CGoogleMapDlgWrap::CGoogleMapDlgWrap(Hooks hooks) : hooks_(std::move(hooks)) {}

void CGoogleMapDlgWrap::SetWindow(MapWindow* window) {
  window_ = window;
  page_ready_ = false;
  online_mark_.reset();
  if (window_ == nullptr) return;
  window_->ShowMapWindow(shown_);
  PushData();
}

void CGoogleMapDlgWrap::ExecScript(const std::string& statement) {
  if (window_ != nullptr) window_->ExecScript(statement);
}

void CGoogleMapDlgWrap::ReloadTrack(int index, bool group) {
  // Statements to a page whose map does not exist yet would be lost; its
  // ready call brings the reload.
  if (!page_ready_) return;
  ExecScript(MapScript::ClearCrashPos());
  ExecScript(MapScript::RemoveLineList());
  if (group) ExecScript(MapScript::CreateLine());
  ExecScript(MapScript::CreateGridLine(index));
}

void CGoogleMapDlgWrap::SetPlayState(int state) {
  switch (state) {
    case 1: status_text_ = "pause"; break;
    case 2:
      status_text_ = "stop";
      // The track the marker moves on exists only once the page is ready.
      if (page_ready_) ExecScript(MapScript::MoveMarker());
      break;
    default: status_text_.clear(); break;
  }
  PushData();
}

bool CGoogleMapDlgWrap::ShowMap(bool show) {
  if (show == shown_) return false;
  shown_ = show;
  if (window_ != nullptr) window_->ShowMapWindow(show);
  return true;
}

void CGoogleMapDlgWrap::SetPosition(double lat, double lng) {
  lat_ = lat;
  lng_ = lng;
  PushData();
}

void CGoogleMapDlgWrap::PushData() {
  if (window_ != nullptr) window_->UpdateData(lat_, lng_, status_text_);
}

void CGoogleMapDlgWrap::Post(std::uint32_t message, std::intptr_t lparam) {
  if (hooks_.post) hooks_.post(message, lparam);
}

// Our map layer is served by the program itself, so the page can always build
// its map (the track draws offline); whether tiles can be had is the online
// mark's business, not the page's.
int CGoogleMapDlgWrap::ConnectTest() { return 1; }

void CGoogleMapDlgWrap::OnInitHtml() {
  page_ready_ = true;
  Post(kMessageMapPageReady, 0);
}

std::string CGoogleMapDlgWrap::GetMapURL() { return kMapLayerUrl; }

std::vector<recording::GpsSample> CGoogleMapDlgWrap::GetGPSData() {
  return hooks_.group_route ? hooks_.group_route() : std::vector<recording::GpsSample>{};
}

std::optional<std::vector<recording::GpsSample>> CGoogleMapDlgWrap::GetGridData() {
  if (!hooks_.grid) return std::nullopt;
  return hooks_.grid();
}

void CGoogleMapDlgWrap::OnClickCrashPoint(int, int, int ipos, int, double, double, double, double) {
  Post(kMessageMapCrashPoint, ipos);
}

bool CGoogleMapDlgWrap::SetSend() {
  if (window_ == nullptr) return false;
  // The page asks once a second: the online mark follows the monitor at the
  // same pace, and only changes are shown.
  const bool online = hooks_.tiles_reachable && hooks_.tiles_reachable() != 0;
  if (online_mark_ != online) {
    online_mark_ = online;
    window_->SetOnlineMark(online);
  }
  json_.SetStatus(lat_, lng_, status_text_);
  return window_->PostWebMessage(json_.Text());
}

}  // namespace mapview
