#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>

typedef void CURLM;

namespace maintenance {

// How long the network may take.
struct NetTimeouts {
  std::chrono::milliseconds connect{5000};  // connection, proxy tunnel and TLS handshake
  std::chrono::milliseconds whole{10000};   // a whole version file request
  std::chrono::milliseconds probe_period{60000};  // between two connection probes
};

// One thread's transfers over libcurl, one at a time, each cancellable from
// any thread: Cancel() wakes the transfer's wait at once and every later
// transfer or Wait() fails at once. Proxies come from the environment
// (http_proxy, https_proxy, all_proxy, no_proxy), which on this platform is
// the system's proxy setting.
class CurlTransfer {
 public:
  explicit CurlTransfer(NetTimeouts timeouts = {});
  ~CurlTransfer();
  CurlTransfer(const CurlTransfer&) = delete;
  CurlTransfer& operator=(const CurlTransfer&) = delete;

  // Whether the server of address (scheme://host[:port]/, http or https)
  // accepts a connection: a bare connection (with the TLS handshake for
  // https), no request sent; through a proxy, the proxy's CONNECT.
  bool Probe(const std::string& address);
  // The first bytes (at most limit) of the body of address, fetched with
  // GET and "Accept: */*", following at most 3 redirects and only to http
  // or https; nullopt unless the final answer is HTTP 200. Stopping the
  // read at the limit is a success.
  std::optional<std::string> Fetch(const std::string& address, std::size_t limit);

  // Any thread: ends a transfer in flight and every later one.
  void Cancel();
  bool cancelled() const { return cancelled_.load(); }
  // Sleeps for d; false when cancelled before or during the sleep.
  bool Wait(std::chrono::milliseconds d);

 private:
  // Runs the easy handle to its end, or until cancelled (CURLE_ABORTED_BY_CALLBACK).
  int Perform(void* easy);

  NetTimeouts timeouts_;
  CURLM* multi_;
  std::atomic<bool> cancelled_{false};
  std::mutex mutex_;
  std::condition_variable wake_;
};

}  // namespace maintenance
