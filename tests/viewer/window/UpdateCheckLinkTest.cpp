#include <gtest/gtest.h>

#include <QLabel>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <optional>

#include "LocalHttpServer.h"
#include "RecordingOpening.h"
#include "WindowUnderTest.h"
#include "maintenance/CInetConnectionAsync.h"
#include "maintenance/UpdateVersion.h"
#include "maintenance/ui/CUpdateDialog.h"
#include "viewer/window/MapController.h"
#include "viewer/window/UpdateCheckLink.h"
#include "viewer/window/WindowHooks.h"

namespace viewer {
namespace {

using testfiles::LocalHttpServer;

std::atomic<bool> g_hang_updates{false};

std::string VersionFiles(const std::string& head) {
  if (g_hang_updates) return LocalHttpServer::kHang;
  if (head.find(maintenance::kFirmwareVersionPath) != std::string::npos) return LocalHttpServer::Response(200, "VER:1.4.3");
  if (head.find(maintenance::kViewerVersionPath) != std::string::npos) return LocalHttpServer::Response(200, "VER:1.0.2");
  return LocalHttpServer::Response(404, "");
}

// The window's constructor reads the tile address and the update server,
// so both servers and the settings naming them exist before the window.
class NetSettingsFirst {
 protected:
  NetSettingsFirst() {
    // Our servers are reached directly, whatever proxy the test run sets.
    if (const char* old = std::getenv("no_proxy")) old_no_proxy_ = old;
    setenv("no_proxy", "127.0.0.1", 1);
    std::filesystem::create_directories(settings_ / "start");
    InitializeSettings(settings_ / "start", settings_ / "config");
    WriteFolderIni("MAP", "TILES", "http://" + tiles_.host_port() + "/{z}/{x}/{y}.png");
    WriteFolderIni("UPDATE", "SERVER", updates_.host_port());
  }
  ~NetSettingsFirst() {
    if (old_no_proxy_) {
      setenv("no_proxy", old_no_proxy_->c_str(), 1);
    } else {
      unsetenv("no_proxy");
    }
  }
  std::optional<std::string> old_no_proxy_;
  LocalHttpServer tiles_{[](const std::string&) { return LocalHttpServer::Response(200, ""); }};
  LocalHttpServer updates_{&VersionFiles};
  testfiles::TempDir settings_;
};

class UpdateCheckWiring : public NetSettingsFirst, public WindowUnderTest {
 protected:
  // The map page has built its map and a playback tick runs.
  void PageReadyAndTick() {
    window_.map().wrap().OnInitHtml();
    window_.on_playback_tick();
  }
};

TEST_F(UpdateCheckWiring, MonitorStartsWithTheWindow) {
  ASSERT_TRUE(WaitUntil([&] { return window_.connection().connected() == 1; }));
  EXPECT_TRUE(tiles_.WaitForConnections(1));
  EXPECT_TRUE(tiles_.request_lines().empty());
}

TEST_F(UpdateCheckWiring, FirstPageReadyStartsTheCheckWithTheCardsFirmware) {
  OpenCard(CardOf(1, 2.0));
  ASSERT_TRUE(WaitUntil([&] { return !window_.filer()->scanner().firmware_version().empty(); }));
  ASSERT_EQ(window_.filer()->scanner().firmware_version(), "1.4.2");
  QTest::qWait(200);
  EXPECT_TRUE(updates_.request_lines().empty());  // nothing before a tick finds the page ready

  PageReadyAndTick();
  ASSERT_TRUE(WaitUntil([&] { return window_.update_check().dialog() != nullptr; }));
  maintenance::CUpdateDialog* dialog = window_.update_check().dialog();
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(dialog->windowTitle(), QString("ソフトの更新情報"));
  EXPECT_TRUE(dialog->link_control()->text().contains("現在のバージョン：1.4.2   →   更新バージョン：1.4.3"));
  EXPECT_TRUE(dialog->link_control()->text().contains(
      QString::fromStdString("<a href=\"" + maintenance::FirmwarePageAddress(updates_.host_port()) + "\">")));

  // Once per run: later ticks and page readies ask nothing more.
  PageReadyAndTick();
  PageReadyAndTick();
  QTest::qWait(200);
  EXPECT_EQ(updates_.request_lines().size(), 2u);
}

TEST_F(UpdateCheckWiring, ShutdownMidRequestEndsTheWorkersPromptly) {
  g_hang_updates = true;
  PageReadyAndTick();
  ASSERT_TRUE(updates_.WaitForRequests(1));
  ASSERT_TRUE(window_.connection().workers_running());
  const auto start = std::chrono::steady_clock::now();
  window_.Shutdown();
  // Generous for "within a second" on a slow shared machine.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
  EXPECT_FALSE(window_.connection().workers_running());
  g_hang_updates = false;
  QTest::qWait(50);
  EXPECT_EQ(window_.update_check().dialog(), nullptr);
}

}  // namespace
}  // namespace viewer
