#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <thread>

#include "maintenance/CurlTransfer.h"

namespace maintenance {

// The server part of a map tile address template: "scheme://host[:port]/"
// with a "{s}" in the host taken as "a"; empty when the template is empty or
// not http or https (then nothing is probed).
std::string TileProbeAddress(std::string_view tile_template);

// The main window's two network workers. The connection monitor probes the
// map tile server at most once per period (a bare connection, see
// CurlTransfer::Probe) and publishes the result as connected(); the update
// check fetches the two version files from the update server once per run
// and hands the message to show, if any, to on_update_message. Neither
// touches a window. The destructor (or Destroy) ends the update check, then
// the monitor; a transfer in flight is aborted, so both end within a second.
class CInetConnectionAsync {
 public:
  explicit CInetConnectionAsync(NetTimeouts timeouts = {});
  ~CInetConnectionAsync();
  CInetConnectionAsync(const CInetConnectionAsync&) = delete;
  CInetConnectionAsync& operator=(const CInetConnectionAsync&) = delete;

  // Starts the monitor for the tile address template; an empty or
  // unsupported address probes nothing and leaves connected() at 0. Once.
  void StartMonitor(std::string_view tile_template);
  // The update server (host[:port]); empty: no update check. Set before
  // StartUpdateCheck.
  void set_server(std::string server) { server_ = std::move(server); }
  const std::string& server() const { return server_; }
  // Starts the update check once per run with the current source's
  // firmware version; later calls, and calls without a server, do nothing.
  // False when no check was started by this call.
  bool StartUpdateCheck(std::string firmware_version);

  // Called on the update thread with the message to show (never when
  // nothing differs, a fetch failed or the object is being destroyed).
  // Set before StartUpdateCheck.
  std::function<void(const std::string& message)> on_update_message;

  // 1 after the last probe reached the tile server, otherwise 0. Any thread.
  int connected() const { return connected_.load(); }
  // Probes finished so far.
  int probes() const { return probes_.load(); }
  // Whether the update check has run to its end (with or without a message).
  bool update_check_done() const { return update_done_.load(); }

  // Whether a worker thread is still to be joined (UI thread).
  bool workers_running() const { return monitor_.joinable() || update_.joinable(); }

  void Destroy();

 private:
  void MonitorLoop(std::string address);
  void UpdateCheck();

  // Written by the UI thread before the threads start, read by them after.
  NetTimeouts timeouts_;
  std::string server_;
  std::string firmware_version_;
  // Each thread's transfers; cancelled by Destroy from the UI thread.
  CurlTransfer monitor_transfer_;
  CurlTransfer update_transfer_;
  // Written by the worker threads, read by any thread.
  std::atomic<int> connected_{0};
  std::atomic<int> probes_{0};
  std::atomic<bool> closing_{false};
  std::atomic<bool> update_done_{false};
  // Owned by the UI thread.
  bool update_started_ = false;
  std::thread monitor_;
  std::thread update_;
};

}  // namespace maintenance
