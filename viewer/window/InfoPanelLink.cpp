#include "viewer/window/InfoPanelLink.h"

#include <cmath>
#include <utility>

#include "library/RecordingNames.h"
#include "library/ui/CFilerContainerDlg.h"
#include "mapview/PanelText.h"
#include "mapview/ui/CInfoDlg.h"
#include "mapview/ui/CObdDlg.h"
#include "viewer/commands/RecordingLoader.h"
#include "viewer/window/CQuorbexDlg.h"
#include "viewer/window/RecordingOpener.h"
#include "viewer/window/WindowHooks.h"

namespace viewer {
namespace {

constexpr int kSpeedReading = 2;
constexpr std::uint32_t kMessageSourceLost = 0x84B1;

}  // namespace

InfoPanelLink::InfoPanelLink(CQuorbexDlg& window) : window_(window), info_(*window.info()) {
  info_.on_double_click = [this] { OpenVehiclePanel(); };
  // After the hooks before: the opener takes the loaded data before the
  // recording is read from it.
  ChainMessage(window_, [this](const platform::Message& m) { OnMessage(m); });
}

InfoPanelLink::~InfoPanelLink() {
  info_.on_double_click = nullptr;
  delete vehicle_panel_.data();
}

void InfoPanelLink::OnMessage(const platform::Message& m) {
  if (m.message == kMessageDataLoaded) {
    if (window_.loaded()) TakeLoadedRecording();
    UpdateVehiclePanelSource();
  } else if (m.message == kMessageSourceLost) {
    Reset();  // nothing is shown any more
  } else if (m.message == mapview::kMessageVehiclePanelClosed) {
    if (vehicle_panel_) vehicle_panel_->deleteLater();
    vehicle_panel_ = nullptr;
  }
}

void InfoPanelLink::TakeLoadedRecording() {
  mapview::InfoRecording recording;
  recording.time_valid = true;
  recording.start = library::TimeOfName(window_.opener().opened().filename().string());
  const double rate = window_.views().FrameRate();
  recording.frame_interval_ms = rate > 0 ? static_cast<float>(1000.0 / rate) : 0.0F;
  char letter = 0;
  window_.views().reading_view().ReadSensorData(
      [&letter](const recording::SensorDataFile& data) { letter = data.header().rate; });
  recording.time_lapse = mapview::IsTimeLapseRateLetter(letter);
  SetRecording(recording);
}

void InfoPanelLink::SetRecording(const mapview::InfoRecording& recording) { info_.SetRecording(recording); }

void InfoPanelLink::ShowValues(const ShownValues& values) {
  mapview::InfoValues shown;
  shown.frame = values.frame;
  shown.x = values.x;
  shown.y = values.y;
  shown.z = values.z;
  shown.status = values.status;
  shown.speed_valid = values.gps_valid;
  shown.speed = values.gps_speed;
  info_.ShowValues(shown);
  speed_reading_ = values.gps_valid && values.gps_speed > 0 ? static_cast<int>(std::lround(values.gps_speed)) : 0;
  if (vehicle_panel_) vehicle_panel_->SetReading(kSpeedReading, speed_reading_);
}

void InfoPanelLink::Reset() {
  info_.SetModeText({});
  info_.Reset();
  speed_reading_ = 0;
  if (vehicle_panel_) vehicle_panel_->SetReading(kSpeedReading, 0);
}

void InfoPanelLink::OpenVehiclePanel() {
  if (!vehicle_panel_) {
    vehicle_panel_ = new mapview::CObdDlg(&window_, &window_.sink());
    vehicle_panel_->SetReading(kSpeedReading, speed_reading_);
    UpdateVehiclePanelSource();
  }
  vehicle_panel_->show();
  vehicle_panel_->raise();
}

void InfoPanelLink::UpdateVehiclePanelSource() {
  if (!vehicle_panel_) return;
  vehicle_panel_->SetFolderSourceLoaded(window_.loaded() &&
                                        window_.filer()->scanner().kind() == library::SourceKind::kFolder);
}

}  // namespace viewer
