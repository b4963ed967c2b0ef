#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace testfiles {

// A small HTTP server (or proxy stand-in) on 127.0.0.1 for network tests:
// one request per connection, each connection on a thread of its own. The
// handler gets the request's head (request line and headers) and returns
// the raw bytes to answer, kHang to say nothing until the server stops, or
// an empty string to close at once. A connection that never sends a
// complete head (a TLS handshake, say) is held open silently.
class LocalHttpServer {
 public:
  using Handler = std::function<std::string(const std::string& head)>;
  static const std::string kHang;

  explicit LocalHttpServer(Handler handler);
  ~LocalHttpServer();
  LocalHttpServer(const LocalHttpServer&) = delete;
  LocalHttpServer& operator=(const LocalHttpServer&) = delete;

  int port() const { return port_; }
  // "127.0.0.1:<port>"
  std::string host_port() const;
  // The request lines received so far ("GET /a HTTP/1.1", "CONNECT h:80 HTTP/1.1").
  std::vector<std::string> request_lines() const;
  int connections() const { return connections_.load(); }
  bool WaitForConnections(int n, std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;
  bool WaitForRequests(std::size_t n, std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;

  // A complete answer with "Connection: close" and the body's length.
  static std::string Response(int status, std::string_view body, std::string_view extra_headers = {});
  // A port on 127.0.0.1 with nothing listening.
  static int RefusedPort();

 private:
  void AcceptLoop();
  void Serve(int fd);
  // Waits until fd is ready for events or the server stops; false when stopped.
  bool WaitFor(int fd, short events) const;

  Handler handler_;
  int listen_fd_ = -1;
  int stop_pipe_[2] = {-1, -1};
  int port_ = 0;
  std::atomic<int> connections_{0};
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  std::vector<std::string> lines_;
  std::vector<std::thread> workers_;  // guarded by mutex_
  std::thread acceptor_;
};

}  // namespace testfiles
