#include "LocalHttpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace testfiles {

const std::string LocalHttpServer::kHang = std::string("\0hang", 5);

LocalHttpServer::LocalHttpServer(Handler handler) : handler_(std::move(handler)) {
  if (pipe(stop_pipe_) != 0) return;
  listen_fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof addr;
  if (bind(listen_fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(listen_fd_, 16) != 0 ||
      getsockname(listen_fd_, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
    return;
  }
  port_ = ntohs(addr.sin_port);
  acceptor_ = std::thread([this] { AcceptLoop(); });
}

LocalHttpServer::~LocalHttpServer() {
  if (stop_pipe_[1] >= 0) (void)!write(stop_pipe_[1], "x", 1);
  if (acceptor_.joinable()) acceptor_.join();
  std::vector<std::thread> workers;
  {
    std::lock_guard lock(mutex_);
    workers.swap(workers_);
  }
  for (auto& w : workers) w.join();
  for (int fd : {listen_fd_, stop_pipe_[0], stop_pipe_[1]}) {
    if (fd >= 0) close(fd);
  }
}

std::string LocalHttpServer::host_port() const { return "127.0.0.1:" + std::to_string(port_); }

std::vector<std::string> LocalHttpServer::request_lines() const {
  std::lock_guard lock(mutex_);
  return lines_;
}

bool LocalHttpServer::WaitForConnections(int n, std::chrono::milliseconds timeout) const {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, timeout, [&] { return connections_.load() >= n; });
}

bool LocalHttpServer::WaitForRequests(std::size_t n, std::chrono::milliseconds timeout) const {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, timeout, [&] { return lines_.size() >= n; });
}

std::string LocalHttpServer::Response(int status, std::string_view body, std::string_view extra_headers) {
  std::string s = "HTTP/1.1 " + std::to_string(status) + (status == 200 ? " OK" : " Status") + "\r\n";
  s += "Content-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n";
  s.append(extra_headers);
  s += "\r\n";
  s.append(body);
  return s;
}

int LocalHttpServer::RefusedPort() {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof addr;
  bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
  close(fd);  // bound, never listened: connections to it are refused
  return ntohs(addr.sin_port);
}

bool LocalHttpServer::WaitFor(int fd, short events) const {
  pollfd fds[2] = {{fd, events, 0}, {stop_pipe_[0], POLLIN, 0}};
  while (poll(fds, 2, -1) < 0) {
    if (errno != EINTR) return false;
  }
  return (fds[1].revents & POLLIN) == 0;
}

void LocalHttpServer::AcceptLoop() {
  while (WaitFor(listen_fd_, POLLIN)) {
    const int fd = accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    std::lock_guard lock(mutex_);
    ++connections_;
    changed_.notify_all();
    workers_.emplace_back([this, fd] { Serve(fd); });
  }
}

void LocalHttpServer::Serve(int fd) {
  std::string head;
  while (head.find("\r\n\r\n") == std::string::npos) {
    if (!WaitFor(fd, POLLIN)) {
      close(fd);
      return;
    }
    char buffer[4096];
    const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
    if (n <= 0) {
      // The client gave up; a half-received head is still counted.
      close(fd);
      return;
    }
    head.append(buffer, static_cast<std::size_t>(n));
  }
  {
    std::lock_guard lock(mutex_);
    lines_.push_back(head.substr(0, head.find("\r\n")));
    changed_.notify_all();
  }
  const std::string answer = handler_(head);
  if (answer == kHang) {
    pollfd stop = {stop_pipe_[0], POLLIN, 0};
    while (poll(&stop, 1, -1) < 0 && errno == EINTR) {
    }
  } else {
    std::size_t sent = 0;
    while (sent < answer.size() && WaitFor(fd, POLLOUT)) {
      const ssize_t n = send(fd, answer.data() + sent, answer.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
      if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) break;
      if (n > 0) sent += static_cast<std::size_t>(n);
    }
  }
  close(fd);
}

}  // namespace testfiles
