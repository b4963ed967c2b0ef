// The connection monitor and the update check against servers on
// 127.0.0.1 started here; no other network is used. Durations are only
// checked against generous upper bounds (3 s for "within a second", as this
// machine is slow and shared).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

#include "LocalHttpServer.h"
#include "TestFiles.h"
#include "maintenance/CInetConnectionAsync.h"
#include "maintenance/CurlTransfer.h"
#include "maintenance/UpdateVersion.h"

namespace maintenance {
namespace {

using namespace std::chrono_literals;
using testfiles::LocalHttpServer;

constexpr auto kPromptStop = 3s;

// Short enough that a hang times out quickly in a test.
NetTimeouts Short() {
  NetTimeouts t;
  t.connect = 1000ms;
  t.whole = 1500ms;
  return t;
}

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout = 10s) {
  const auto until = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= until) return false;
    std::this_thread::sleep_for(5ms);
  }
  return true;
}

std::string PathOf(const std::string& head) {
  const auto a = head.find(' ') + 1;
  return head.substr(a, head.find(' ', a) - a);
}

class Network : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"http_proxy", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY", "no_proxy",
                             "NO_PROXY"}) {
      unsetenv(name);
    }
  }
  void TearDown() override { SetUp(); }
};

// ---- connection monitor

// Starts the monitor and waits for its first probe: the flag it left, or -1
// when no probe finished.
int FirstProbe(CInetConnectionAsync& net, const std::string& tile) {
  net.StartMonitor(tile);
  if (!WaitFor([&] { return net.probes() >= 1; })) return -1;
  return net.connected();
}

TEST_F(Network, MonitorReachesServerWithoutSendingARequest) {
  LocalHttpServer server([](const std::string&) { return LocalHttpServer::Response(200, "tile"); });
  CInetConnectionAsync net(Short());
  EXPECT_EQ(FirstProbe(net, "http://" + server.host_port() + "/{z}/{x}/{y}.png"), 1);
  EXPECT_TRUE(server.WaitForConnections(1));
  net.Destroy();
  EXPECT_TRUE(server.request_lines().empty());
  // Once per period: no second probe within the first round's wait.
  EXPECT_EQ(net.probes(), 1);
}

TEST_F(Network, MonitorRefused) {
  CInetConnectionAsync net(Short());
  EXPECT_EQ(FirstProbe(net, "http://127.0.0.1:" + std::to_string(LocalHttpServer::RefusedPort()) + "/{z}/{x}/{y}.png"), 0);
}

TEST_F(Network, MonitorTimesOutOnServerThatNeverAnswersTheHandshake) {
  LocalHttpServer server([](const std::string&) { return LocalHttpServer::kHang; });
  CInetConnectionAsync net(Short());
  EXPECT_EQ(FirstProbe(net, "https://" + server.host_port() + "/{z}/{x}/{y}.png"), 0);
  EXPECT_TRUE(server.WaitForConnections(1));
}

TEST_F(Network, MonitorStopsPromptlyWhileAProbeHangs) {
  LocalHttpServer server([](const std::string&) { return LocalHttpServer::kHang; });
  NetTimeouts long_wait;  // the product's own timeouts
  CInetConnectionAsync net(long_wait);
  net.StartMonitor("https://" + server.host_port() + "/");
  ASSERT_TRUE(server.WaitForConnections(1));
  const auto start = std::chrono::steady_clock::now();
  net.Destroy();
  EXPECT_LT(std::chrono::steady_clock::now() - start, kPromptStop);
  EXPECT_EQ(net.probes(), 0);
  EXPECT_EQ(net.connected(), 0);
}

TEST_F(Network, MonitorStopsPromptlyBetweenProbes) {
  LocalHttpServer server([](const std::string&) { return LocalHttpServer::Response(200, ""); });
  CInetConnectionAsync net;
  ASSERT_EQ(FirstProbe(net, "http://" + server.host_port() + "/"), 1);
  const auto start = std::chrono::steady_clock::now();
  net.Destroy();
  EXPECT_LT(std::chrono::steady_clock::now() - start, kPromptStop);
}

TEST_F(Network, MonitorWithoutTileAddressProbesNothing) {
  CInetConnectionAsync net(Short());
  net.StartMonitor("");
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(net.probes(), 0);
  EXPECT_EQ(net.connected(), 0);
}

struct ProxyRow {
  const char* name;
  const char* variable;
  const char* tile;  // a name that does not resolve: only the proxy can reach it
  std::string answer;
  int connected;
  const char* request_line;
};

class MonitorProxyRows : public Network, public ::testing::WithParamInterface<ProxyRow> {};

TEST_P(MonitorProxyRows, ProbeIsTheProxysConnect) {
  const ProxyRow& row = GetParam();
  LocalHttpServer proxy([&](const std::string&) { return row.answer; });
  setenv(row.variable, ("http://" + proxy.host_port()).c_str(), 1);
  CInetConnectionAsync net(Short());
  EXPECT_EQ(FirstProbe(net, row.tile), row.connected);
  ASSERT_EQ(proxy.request_lines().size(), 1u);
  EXPECT_EQ(proxy.request_lines()[0], row.request_line);
}

INSTANTIATE_TEST_SUITE_P(
    Proxies, MonitorProxyRows,
    ::testing::Values(ProxyRow{"HttpTilesThroughHttpProxy", "http_proxy", "http://tiles.invalid/{z}/{x}/{y}.png",
                               "HTTP/1.1 200 Connection established\r\n\r\n", 1, "CONNECT tiles.invalid:80 HTTP/1.1"},
                      ProxyRow{"HttpsTilesThroughHttpsProxy", "https_proxy", "https://tiles.invalid/{z}/{x}/{y}.png",
                               "HTTP/1.1 200 Connection established\r\n\r\n", 0,
                               "CONNECT tiles.invalid:443 HTTP/1.1"},
                      ProxyRow{"TunnelRefusedMeansOffline", "https_proxy", "https://tiles.invalid:8443/",
                               LocalHttpServer::Response(502, ""), 0, "CONNECT tiles.invalid:8443 HTTP/1.1"},
                      ProxyRow{"AllProxy", "all_proxy", "http://tiles.invalid:8080/",
                               "HTTP/1.1 200 Connection established\r\n\r\n", 1,
                               "CONNECT tiles.invalid:8080 HTTP/1.1"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- fetching one version file

struct FetchRow {
  const char* name;
  std::function<std::string(const std::string& head, const std::string& base)> answer;
  std::optional<std::string> expected;
};

class FetchRows : public Network, public ::testing::WithParamInterface<FetchRow> {};

TEST_P(FetchRows, Fetch) {
  const FetchRow& row = GetParam();
  std::string base;
  LocalHttpServer server([&](const std::string& head) { return row.answer(head, base); });
  base = "http://" + server.host_port();
  CurlTransfer transfer(Short());
  EXPECT_EQ(transfer.Fetch(base + "/v.txt", kVersionFileLimit), row.expected);
}

std::string Redirect(const std::string& to) { return LocalHttpServer::Response(302, "", "Location: " + to + "\r\n"); }

// Redirects /v.txt -> /1 -> /2 ... -> /n, which answers.
std::function<std::string(const std::string&, const std::string&)> Chain(int n) {
  return [n](const std::string& head, const std::string& base) {
    const std::string path = PathOf(head);
    const int at = path == "/v.txt" ? 0 : std::stoi(path.substr(1));
    if (at < n) return Redirect(base + "/" + std::to_string(at + 1));
    return LocalHttpServer::Response(200, "VER:1.0.3");
  };
}

INSTANTIATE_TEST_SUITE_P(
    Answers, FetchRows,
    ::testing::Values(
        FetchRow{"Ok", [](auto&, auto&) { return LocalHttpServer::Response(200, "VER:1.0.3"); }, "VER:1.0.3"},
        FetchRow{"AcceptHeaderSent",
                 [](const std::string& head, auto&) {
                   return LocalHttpServer::Response(200, head.find("\r\nAccept: */*\r\n") != std::string::npos ? "yes" : "no");
                 },
                 "yes"},
        FetchRow{"NotFoundWithVersionIsAFailure",
                 [](auto&, auto&) { return LocalHttpServer::Response(404, "VER:9.9.9"); }, std::nullopt},
        FetchRow{"ServerErrorIsAFailure", [](auto&, auto&) { return LocalHttpServer::Response(500, "VER:9.9.9"); },
                 std::nullopt},
        FetchRow{"OneMegabyteBodyReadTo1024",
                 [](auto&, auto&) { return LocalHttpServer::Response(200, std::string(1 << 20, 'v')); },
                 std::string(1024, 'v')},
        FetchRow{"Exactly1024", [](auto&, auto&) { return LocalHttpServer::Response(200, std::string(1024, 'v')); },
                 std::string(1024, 'v')},
        FetchRow{"BodyWithoutLengthUntilClose",
                 [](auto&, auto&) { return std::string("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\nVER:1.0.3"); },
                 "VER:1.0.3"},
        FetchRow{"Hang", [](auto&, auto&) { return LocalHttpServer::kHang; }, std::nullopt},
        FetchRow{"ClosedWithoutAnswer", [](auto&, auto&) { return std::string(); }, std::nullopt},
        FetchRow{"ThreeRedirectsFollowed", Chain(3), "VER:1.0.3"},
        FetchRow{"FourRedirectsRefused", Chain(4), std::nullopt},
        FetchRow{"RedirectToFileRefused", [](auto&, auto&) { return Redirect("file:///etc/hostname"); }, std::nullopt},
        FetchRow{"RedirectToFtpRefused", [](auto&, auto&) { return Redirect("ftp://127.0.0.1/v.txt"); }, std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Network, FetchRefused) {
  CurlTransfer transfer(Short());
  EXPECT_EQ(transfer.Fetch("http://127.0.0.1:" + std::to_string(LocalHttpServer::RefusedPort()) + "/v.txt", 1024),
            std::nullopt);
}

TEST_F(Network, FetchHangTimesOutAfterTheWholeRequestTime) {
  LocalHttpServer server([](const std::string&) { return LocalHttpServer::kHang; });
  CurlTransfer transfer(Short());
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(transfer.Fetch("http://" + server.host_port() + "/v.txt", 1024), std::nullopt);
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_GE(took, Short().whole - 100ms);
  EXPECT_LT(took, 10s);
}

TEST_F(Network, FetchThroughTheEnvironmentProxyUsesTheAbsoluteForm) {
  LocalHttpServer proxy([](const std::string&) { return LocalHttpServer::Response(200, "VER:1.0.3"); });
  setenv("http_proxy", ("http://" + proxy.host_port()).c_str(), 1);
  CurlTransfer transfer(Short());
  EXPECT_EQ(transfer.Fetch("http://updates.invalid/v.txt", 1024), "VER:1.0.3");
  ASSERT_EQ(proxy.request_lines().size(), 1u);
  EXPECT_EQ(proxy.request_lines()[0], "GET http://updates.invalid/v.txt HTTP/1.1");
}

TEST_F(Network, NoProxyBypassesTheProxy) {
  LocalHttpServer proxy([](const std::string&) { return LocalHttpServer::Response(200, "from proxy"); });
  LocalHttpServer server([](const std::string&) { return LocalHttpServer::Response(200, "direct"); });
  setenv("http_proxy", ("http://" + proxy.host_port()).c_str(), 1);
  setenv("no_proxy", "127.0.0.1", 1);
  CurlTransfer transfer(Short());
  EXPECT_EQ(transfer.Fetch("http://" + server.host_port() + "/v.txt", 1024), "direct");
  EXPECT_TRUE(proxy.request_lines().empty());
}

// ---- the whole update check

// Serves both version files; counts what was asked.
std::string VersionFiles(const std::string& head, const std::string& firmware, const std::string& viewer) {
  const std::string path = PathOf(head);
  if (path.ends_with(kFirmwareVersionPath)) return LocalHttpServer::Response(200, firmware);
  if (path.ends_with(kViewerVersionPath)) return LocalHttpServer::Response(200, viewer);
  return LocalHttpServer::Response(404, "");
}

// Runs one whole update check against server: the messages it reported.
std::vector<std::string> CheckOnce(const std::string& server, const std::string& firmware) {
  CInetConnectionAsync net(Short());
  net.set_server(server);
  std::mutex mutex;
  std::vector<std::string> messages;
  net.on_update_message = [&](const std::string& m) {
    std::lock_guard lock(mutex);
    messages.push_back(m);
  };
  EXPECT_TRUE(net.StartUpdateCheck(firmware));
  EXPECT_FALSE(net.StartUpdateCheck(firmware));  // once per run
  EXPECT_TRUE(WaitFor([&] { return net.update_check_done(); }));
  net.Destroy();
  return messages;
}

TEST_F(Network, UpdateCheckFetchesBothFilesAndReportsTheMessage) {
  LocalHttpServer server([](const std::string& head) { return VersionFiles(head, "VER:1.2.4.1", "VER:1.0.3"); });
  const auto got = CheckOnce(server.host_port(), "1.2.3.9");
  ASSERT_EQ(got.size(), 1u);
  const std::string& m = got[0];
  EXPECT_NE(m.find("現在のバージョン：1.2.3   →   更新バージョン：1.2.4\r\n"), std::string::npos) << m;
  EXPECT_NE(m.find("現在のバージョン：1.0.2   →   更新バージョン：1.0.3\r\n"), std::string::npos) << m;
  EXPECT_NE(m.find("<a href=\"" + FirmwarePageAddress(server.host_port()) + "\">"), std::string::npos);
  const auto lines = server.request_lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], std::string("GET ") + kFirmwareVersionPath + " HTTP/1.1");
  EXPECT_EQ(lines[1], std::string("GET ") + kViewerVersionPath + " HTTP/1.1");
}

TEST_F(Network, UpdateCheckNotFoundIsSilent) {
  LocalHttpServer server([](const std::string&) { return LocalHttpServer::Response(404, "VER:9.9.9"); });
  EXPECT_TRUE(CheckOnce(server.host_port(), "1.2.3").empty());
  EXPECT_EQ(server.request_lines().size(), 1u);  // the viewer file is not asked for
}

TEST_F(Network, UpdateCheckLargeBodyReadsOnlyTheFirstKilobyte) {
  // A version ending at a zero byte within the first 1024 bytes, then 1 MB.
  const std::string big = std::string("VER:1.0.3") + '\0' + std::string(1 << 20, 'x');
  LocalHttpServer server([&](const std::string& head) { return VersionFiles(head, "VER:1.2.3", big); });
  const auto got = CheckOnce(server.host_port(), "1.2.3");
  ASSERT_EQ(got.size(), 1u);
  EXPECT_NE(got[0].find("更新バージョン：1.0.3\r\n"), std::string::npos);
}

TEST_F(Network, UpdateCheckWithoutServerDoesNothing) {
  CInetConnectionAsync net(Short());
  EXPECT_FALSE(net.StartUpdateCheck("1.2.3"));
}

TEST_F(Network, ClosingMidRequestEndsPromptly) {
  LocalHttpServer server([](const std::string&) { return LocalHttpServer::kHang; });
  LocalHttpServer tiles([](const std::string&) { return LocalHttpServer::kHang; });
  NetTimeouts product;  // the product's own timeouts: 5 s connect, 10 s whole
  CInetConnectionAsync net(product);
  net.set_server(server.host_port());
  bool reported = false;
  net.on_update_message = [&](const std::string&) { reported = true; };
  net.StartMonitor("https://" + tiles.host_port() + "/");
  ASSERT_TRUE(net.StartUpdateCheck("1.2.3"));
  ASSERT_TRUE(server.WaitForRequests(1));
  ASSERT_TRUE(tiles.WaitForConnections(1));
  const auto start = std::chrono::steady_clock::now();
  net.Destroy();
  EXPECT_LT(std::chrono::steady_clock::now() - start, kPromptStop);
  EXPECT_FALSE(reported);
  EXPECT_FALSE(net.StartUpdateCheck("1.2.3"));
}

TEST_F(Network, UpdateCheckThroughTheEnvironmentProxy) {
  LocalHttpServer proxy([](const std::string& head) { return VersionFiles(head, "VER:1.2.3", "VER:1.0.4"); });
  setenv("http_proxy", ("http://" + proxy.host_port()).c_str(), 1);
  EXPECT_EQ(CheckOnce("updates.invalid", "1.2.3").size(), 1u);
  const auto lines = proxy.request_lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], std::string("GET http://updates.invalid") + kFirmwareVersionPath + " HTTP/1.1");
  EXPECT_EQ(lines[1], std::string("GET http://updates.invalid") + kViewerVersionPath + " HTTP/1.1");
}

}  // namespace
}  // namespace maintenance
