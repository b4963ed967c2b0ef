#pragma once

#include <QPointer>
#include <memory>

#include "maintenance/CInetConnectionAsync.h"
#include "platform/MessageSink.h"

namespace maintenance {
class CUpdateDialog;
}

namespace viewer {

class CQuorbexDlg;

// The main window's side of the network workers: the connection monitor
// starts with the window on the map's tile address; the update check starts
// once, on the first playback tick that finds the map page ready (so a
// recording is open and its source's firmware version is known); its
// message comes back to the UI thread and opens the update dialog. The
// window's shutdown ends both workers.
class UpdateCheckLink {
 public:
  // tile_template: the map's tile address ("" probes nothing); server: the
  // update server ("" checks nothing).
  UpdateCheckLink(CQuorbexDlg& window, std::string_view tile_template, std::string server,
                  maintenance::NetTimeouts timeouts = {});
  ~UpdateCheckLink();
  UpdateCheckLink(const UpdateCheckLink&) = delete;
  UpdateCheckLink& operator=(const UpdateCheckLink&) = delete;

  maintenance::CInetConnectionAsync& connection() { return *connection_; }
  // The update dialog while it is open.
  maintenance::CUpdateDialog* dialog() const;

 private:
  void OnPlaybackTick();
  void ShowUpdate(const std::string& message);

  CQuorbexDlg& window_;
  std::unique_ptr<maintenance::CInetConnectionAsync> connection_;
  QPointer<maintenance::CUpdateDialog> dialog_;
  bool started_ = false;
};

}  // namespace viewer
