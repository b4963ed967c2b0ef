#include "viewer/window/SettingsLink.h"

#include <sys/stat.h>

#include <QCoreApplication>

#include "maintenance/ui/CSettingDlg.h"
#include "maintenance/ui/CardFormatter.h"
#include "mapview/EventKindSwitches.h"
#include "mapview/ui/CGSensorDlg.h"
#include "viewer/commands/Controls.h"
#include "viewer/settings/FolderIni.h"
#include "viewer/window/CQuorbexDlg.h"
#include "viewer/window/RecordingOpener.h"
#include "viewer/window/WindowHooks.h"

namespace viewer {
namespace {

// The file systems whose disk the drive list never offers besides the
// system's: the program's and the settings file's.
std::vector<std::string> ProtectedDevnos() {
  std::vector<std::string> devnos;
  struct stat st {};
  const std::string program = QCoreApplication::applicationFilePath().toStdString();
  if (::stat(program.c_str(), &st) == 0) devnos.push_back(maintenance::DevnoText(st.st_dev));
  if (::stat(SettingsFilePath().parent_path().c_str(), &st) == 0) devnos.push_back(maintenance::DevnoText(st.st_dev));
  return devnos;
}

}  // namespace

SettingsLink::SettingsLink(CQuorbexDlg& window)
    : window_(window), formatter_(std::make_unique<maintenance::CardFormatter>(&window)) {
  formatter_->busy = [this] { return busy && busy(); };
  formatter_->close_players = [this] { window_.opener().CloseRecording(); };
  formatter_->on_finished = [this](bool) {
    if (dialog_) dialog_->SetCards(Cards());
  };
  const int bits = mapview::ReadEventKindBits();
  for (int i = 0; i < mapview::kEventKindSwitchCount; ++i) {
    if (!mapview::SwitchOn(bits, i)) ApplySwitch(i, false);
  }
  ChainCommand(window_, [this](int command) {
    if (command != CommandOf(Control::kSettings)) return false;
    Open();
    return true;
  });
  ChainMessage(window_, [this](const platform::Message& m) { OnMessage(m); });
}

SettingsLink::~SettingsLink() { delete dialog_.data(); }

std::vector<maintenance::CardDevice> SettingsLink::Cards() const {
  return maintenance::CardDevices(roots_, ProtectedDevnos()).List();
}

void SettingsLink::Open() {
  if (!dialog_) {
    std::array<maintenance::CSettingDlg::Box, maintenance::CSettingDlg::kBoxCount> boxes{};
    const int bits = mapview::ReadEventKindBits();
    for (int i = 0; i < mapview::kEventKindSwitchCount; ++i) {
      boxes[static_cast<std::size_t>(i)] = {mapview::EventKindSwitches()[static_cast<std::size_t>(i)].caption_text,
                                            mapview::SwitchOn(bits, i)};
    }
    dialog_ = new maintenance::CSettingDlg(&window_, &window_.sink(), boxes);
    dialog_->setAttribute(Qt::WA_DeleteOnClose);
    dialog_->on_format = [this](const maintenance::CardDevice& card) { formatter_->Start(card); };
  }
  dialog_->SetCards(Cards());
  dialog_->show();
  dialog_->raise();
}

void SettingsLink::OnMessage(const platform::Message& m) {
  if (m.message != maintenance::kMessageSettingEventKind) return;
  const int index = static_cast<int>(m.wparam);
  if (index < 0 || index >= mapview::kEventKindSwitchCount) return;
  const bool on = m.lparam != 0;
  ApplySwitch(index, on);
  mapview::WriteEventKindSwitch(index, on);
  if (on_event_kinds_changed) on_event_kinds_changed();
}

void SettingsLink::ApplySwitch(int index, bool on) {
  // Repaints the graph at once.
  window_.graph()->SetEntryFlags(mapview::EventKindSwitches()[static_cast<std::size_t>(index)].Entry(), on);
}

}  // namespace viewer
