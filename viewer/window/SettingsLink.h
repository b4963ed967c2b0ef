#pragma once

#include <QPointer>
#include <functional>
#include <memory>

#include "maintenance/CardDevices.h"
#include "maintenance/ui/CSettingDlg.h"
#include "platform/MessageSink.h"

namespace maintenance {
class CardFormatter;
}  // namespace maintenance

namespace viewer {

class CQuorbexDlg;

// The main window's side of the settings window. The settings command
// (38011) opens it (or brings it forward). A display box's change (0x81F5)
// sets both flags of its detector entry, repaints the graph, stores the
// switch in "DISPLAY"/"INFOCHECK" bits 0-3 and tells on_event_kinds_changed
// (the map's track follows from there). The stored switches are applied at
// start-up. The window's format button runs the card formatter, with the
// players closed first. UI thread only.
class SettingsLink {
 public:
  explicit SettingsLink(CQuorbexDlg& window);
  ~SettingsLink();
  SettingsLink(const SettingsLink&) = delete;
  SettingsLink& operator=(const SettingsLink&) = delete;

  // Opens the settings window, or brings it to the front when open.
  void Open();
  maintenance::CSettingDlg* dialog() const { return dialog_; }
  maintenance::CardFormatter& formatter() { return *formatter_; }
  // Where the drive list's cards are found (tests give made-up trees).
  void set_card_roots(maintenance::DiskSystemRoots roots) { roots_ = std::move(roots); }

  // After a display box changed the detector flags: the map rebuilds the
  // current recording's track (connected by the map's wiring).
  std::function<void()> on_event_kinds_changed;
  // Whether a file operation runs; the format waits for it (connected to the
  // file worker).
  std::function<bool()> busy;

 private:
  void OnMessage(const platform::Message& m);
  void ApplySwitch(int index, bool on);
  std::vector<maintenance::CardDevice> Cards() const;

  CQuorbexDlg& window_;
  QPointer<maintenance::CSettingDlg> dialog_;
  std::unique_ptr<maintenance::CardFormatter> formatter_;
  maintenance::DiskSystemRoots roots_;
};

}  // namespace viewer
