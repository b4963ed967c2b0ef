#include "mapview/NativeMapPage.h"

#include <algorithm>
#include <cctype>

#include "mapview/MapStatement.h"

namespace mapview {

bool NativeMapPage::Execute(std::string_view text) {
  const std::optional<MapStatement> statement = MapStatement::Parse(text);
  if (!statement) return false;
  switch (statement->kind) {
    case MapStatement::Kind::kClearCrashPos:
      model_.ClearCrashPos();
      break;
    case MapStatement::Kind::kRemoveLineList:
      model_.RemoveLineList();
      break;
    case MapStatement::Kind::kCreateLine:
      model_.CreateLine(sink_->GetGPSData());
      break;
    case MapStatement::Kind::kCreateGridLine:
      model_.CreateGridLine(sink_->GetGridData());
      MoveMarker();
      break;
    case MapStatement::Kind::kMoveMarker:
      MoveMarker();
      break;
    case MapStatement::Kind::kAddCrashPos:
      model_.AddCrashPos(statement->crash);
      break;
  }
  return true;
}

void NativeMapPage::UpdateData(double lat, double lng, const std::string& status) {
  lat_ = lat;
  lng_ = lng;
  status_ = status;
}

bool NativeMapPage::Connect() {
  if (sink_->ConnectTest() == 0) {
    page_ready_ = false;
    return false;
  }
  if (!page_ready_) {
    page_ready_ = true;
    sink_->OnInitHtml();
  }
  return true;
}

void NativeMapPage::MoveMarker() {
  model_.MoveMarker(sink_->GetRelJpgNum());
  ++marker_moves_;
}

void NativeMapPage::Round() {
  model_.SetHostPosition(lat_, lng_);
  if (lat_ < 1000.0 && lng_ < 1000.0) {
    if (!Connect()) {
      started_ = false;
      return;
    }
    std::string status = status_;
    std::transform(status.begin(), status.end(), status.begin(), [](unsigned char c) { return std::tolower(c); });
    if (status == "pause" || status == "stop") return;
    if ((lat_ != 0.0 && lng_ != 0.0) || model_.last_frame() == -1) MoveMarker();
  } else if (!started_) {
    Connect();
    started_ = true;
  }
}

void NativeMapPage::ClickCrashPoint(std::size_t index) {
  if (index >= model_.crash_points().size()) return;
  const CrashPoint point = model_.crash_points()[index];
  sink_->OnClickCrashPoint(point.ifile, point.igrid, point.ipos, point.valid, point.lat, point.lng, point.speed,
                           point.direction);
  // The page moved the marker only for points east and north of (0, 0);
  // what matters is whether the point has a fix.
  if (point.valid != 0 && Connect()) MoveMarker();
}

}  // namespace mapview
