#include "viewer/window/UpdateCheckLink.h"

#include <QMetaObject>

#include "library/ui/CFilerContainerDlg.h"
#include "maintenance/UpdateVersion.h"
#include "maintenance/ui/CUpdateDialog.h"
#include "viewer/window/CQuorbexDlg.h"
#include "viewer/window/MapController.h"
#include "viewer/window/WindowHooks.h"

namespace viewer {
namespace {

QString ToQString(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

}  // namespace

UpdateCheckLink::UpdateCheckLink(CQuorbexDlg& window, std::string_view tile_template, std::string server,
                                 maintenance::NetTimeouts timeouts)
    : window_(window), connection_(std::make_unique<maintenance::CInetConnectionAsync>(timeouts)) {
  connection_->set_server(std::move(server));
  // From the update thread: the window shows the dialog on its own thread;
  // a call still queued when the window is gone is dropped.
  connection_->on_update_message = [this](const std::string& message) {
    QMetaObject::invokeMethod(&window_, [this, message] { ShowUpdate(message); }, Qt::QueuedConnection);
  };
  connection_->StartMonitor(tile_template);
  ChainAfter(window_.on_playback_tick, [this] { OnPlaybackTick(); });
  ChainAfter(window_.on_shutdown, [this] { connection_->Destroy(); });
}

UpdateCheckLink::~UpdateCheckLink() {
  connection_->Destroy();
  if (dialog_) delete dialog_.data();
}

maintenance::CUpdateDialog* UpdateCheckLink::dialog() const { return dialog_; }

void UpdateCheckLink::OnPlaybackTick() {
  // Once, while a recording is open and the map page has built its map: the
  // source's firmware version is known by then.
  if (started_ || !window_.map().wrap().page_ready()) return;
  started_ = true;
  connection_->StartUpdateCheck(window_.filer()->scanner().firmware_version());
}

void UpdateCheckLink::ShowUpdate(const std::string& message) {
  if (window_.shut_down() || dialog_) return;
  const std::string& server = connection_->server();
  dialog_ = new maintenance::CUpdateDialog(ToQString(message), ToQString(maintenance::FirmwarePageAddress(server)),
                                           ToQString(maintenance::ViewerPageAddress(server)), window_.screen());
  dialog_->show();
}

}  // namespace viewer
