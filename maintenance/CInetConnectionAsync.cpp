#include "maintenance/CInetConnectionAsync.h"

#include "maintenance/UpdateVersion.h"

namespace maintenance {

std::string TileProbeAddress(std::string_view tile) {
  std::string scheme;
  for (std::string_view s : {"http://", "https://"}) {
    if (tile.substr(0, s.size()) == s) scheme = std::string(s);
  }
  if (scheme.empty()) return {};
  std::string_view rest = tile.substr(scheme.size());
  std::string server(rest.substr(0, rest.find_first_of("/?#")));
  if (server.empty()) return {};
  // Subdomain templates ({s}.tile...) name several equal servers; one stands for all.
  if (const auto at = server.find("{s}"); at != std::string::npos) server = server.substr(0, at) + "a" + server.substr(at + 3);
  if (server.find_first_of("{}@ ") != std::string::npos) return {};
  return scheme + server + "/";
}

CInetConnectionAsync::CInetConnectionAsync(NetTimeouts timeouts)
    : timeouts_(timeouts), monitor_transfer_(timeouts), update_transfer_(timeouts) {}

CInetConnectionAsync::~CInetConnectionAsync() { Destroy(); }

void CInetConnectionAsync::StartMonitor(std::string_view tile_template) {
  if (monitor_.joinable()) return;
  std::string address = TileProbeAddress(tile_template);
  if (address.empty()) return;
  monitor_ = std::thread([this, address = std::move(address)] { MonitorLoop(address); });
}

void CInetConnectionAsync::MonitorLoop(std::string address) {
  do {
    const bool reached = monitor_transfer_.Probe(address);
    if (monitor_transfer_.cancelled()) break;
    connected_ = reached ? 1 : 0;
    ++probes_;
  } while (monitor_transfer_.Wait(timeouts_.probe_period));
}

bool CInetConnectionAsync::StartUpdateCheck(std::string firmware_version) {
  if (update_started_ || server_.empty() || closing_) return false;
  update_started_ = true;
  firmware_version_ = std::move(firmware_version);
  update_ = std::thread([this] { UpdateCheck(); });
  return true;
}

void CInetConnectionAsync::UpdateCheck() {
  const VersionFetch fetch = [this](const std::string& address) -> std::optional<std::string> {
    auto bytes = update_transfer_.Fetch(address, kVersionFileLimit);
    if (!bytes) return std::nullopt;
    return ParseVersionFile(*bytes);
  };
  const std::string message = RunUpdateCheck(fetch, server_, firmware_version_);
  if (!message.empty() && !closing_ && on_update_message) on_update_message(message);
  update_done_ = true;
}

void CInetConnectionAsync::Destroy() {
  if (update_.joinable()) {
    closing_ = true;
    update_transfer_.Cancel();
    update_.join();
  }
  closing_ = true;
  if (monitor_.joinable()) {
    monitor_transfer_.Cancel();
    monitor_.join();
  }
}

}  // namespace maintenance
