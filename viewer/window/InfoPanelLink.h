#pragma once

#include <QPointer>
#include <string_view>

#include "mapview/InfoRecording.h"
#include "mapview/ui/CObdDlg.h"
#include "platform/MessageSink.h"
#include "viewer/commands/SyncViews.h"

namespace mapview {
class CInfoDlg;
}

namespace viewer {

class CQuorbexDlg;

// The main window's side of the info panel and the vehicle panel: the
// values of the frame on screen go to the info panel, the GPS speed to the
// vehicle panel as its reading 2 (the data carries no other vehicle
// reading: those stay 0); the recording's start, frame interval and
// time-lapse flag go to the info panel when its data is loaded; a lost
// source (0x84B1) resets both panels' values. A double
// click on the info panel opens the vehicle panel; its close (0x8578) lets
// it go. Installs itself in the window's message hook, passing everything
// on to the hook set before it first. UI thread only.
class InfoPanelLink {
 public:
  explicit InfoPanelLink(CQuorbexDlg& window);
  ~InfoPanelLink();
  InfoPanelLink(const InfoPanelLink&) = delete;
  InfoPanelLink& operator=(const InfoPanelLink&) = delete;

  // The values of the frame now shown (SyncViews::ShowValues forwards here).
  void ShowValues(const ShownValues& values);
  // The recording whose data was loaded; also set by this class on 0x8515.
  void SetRecording(const mapview::InfoRecording& recording);
  // No recording shown: the panel's placeholders.
  void Reset();
  // Opens the vehicle panel, or brings it to the front when open.
  void OpenVehiclePanel();
  mapview::CObdDlg* vehicle_panel() const { return vehicle_panel_; }

 private:
  void OnMessage(const platform::Message& m);
  // The recording of the data just loaded into the reading view.
  void TakeLoadedRecording();
  void UpdateVehiclePanelSource();

  CQuorbexDlg& window_;
  mapview::CInfoDlg& info_;
  QPointer<mapview::CObdDlg> vehicle_panel_;
  int speed_reading_ = 0;
};

}  // namespace viewer
