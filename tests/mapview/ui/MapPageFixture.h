#pragma once

#include <gtest/gtest.h>

#include <QEventLoop>
#include <QTimer>
#include <QVariant>
#include <QtTest/QTest>
#include <charconv>
#include <memory>
#include <string>

#include "FakeMapSink.h"
#include "mapview/MapTileSetting.h"
#include "mapview/ui/CGoogleMapDlg2.h"
#include "mapview/ui/MapRequestInterceptor.h"
#include "mapview/ui/MapWebPage.h"

namespace mapview {

// A status message as the map wrapper writes it ("%f" values, all quoted).
inline std::string StatusMessage(double lat, double lng, const std::string& status) {
  auto fixed = [](double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6);
    return std::string(buffer, result.ptr);
  };
  return "{\"map_lat\":\"" + fixed(lat) + "\",\"map_lng\":\"" + fixed(lng) + "\",\"map_status\":\"" + status +
         "\",\"val_command\":\"update\",\"val_end\":\"\"}";
}

// The web map window on a fake sink, offline: every address outside the
// map's scheme fails, tiles included. The sink answers SetSend with the
// window's values, as the wrapper does. Every test ends with no script
// error counted by the shim.
class MapPageFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    sink_.on_set_send = [this] {
      return window_ && window_->PostWebMessage(StatusMessage(window_->lat(), window_->lng(), window_->status_text()));
    };
    window_ = std::make_unique<CGoogleMapDlg2>(nullptr, &sink_, tiles_);
    window_->interceptor()->set_offline(true);
    window_->set_on_engine_failed([this] { ++engine_failures_; });
    // A loaded machine can take longer than the window's start-up time; the
    // engine tests shorten it for themselves.
    window_->set_start_timeout_ms(kStartWaitMs);
    window_->resize(452, 368);
    window_->show();
    if (wait_for_map_) {
      ASSERT_TRUE(QTest::qWaitFor([this] { return sink_.init_html > 0; }, kStartWaitMs)) << "no map built";
    }
  }

  void TearDown() override {
    if (window_ && engine_failures_ == 0 && wait_for_map_) {
      EXPECT_EQ(Eval("window.__brennovaleErrors").toInt(), expected_errors_)
          << "script errors in the page:\n" << Eval("window.__brennovaleErrorLog").toString().toStdString();
    }
    window_.reset();
  }

  // Runs script in the page after every statement sent before it.
  QVariant Eval(const QString& script) {
    QVariant result;
    bool done = false;
    QEventLoop loop;
    window_->page()->runJavaScript(script, [&](const QVariant& value) {
      result = value;
      done = true;
      loop.quit();
    });
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    if (!done) loop.exec();
    return result;
  }

  // Loads the current recording's track the way ReloadTrack does.
  void Reload(bool group = true) {
    window_->ExecScript("cplist.ClearCrashPos()");
    window_->ExecScript("orbitgrplist.RemoveLineList()");
    if (group) window_->ExecScript("orbitgrplist.CreateLine()");
    window_->ExecScript("orbitgrplist.CreateGridLine(0)");
  }

  static constexpr int kStartWaitMs = 60000;

  FakeMapSink sink_;
  MapTileSetting tiles_{kDefaultTileUrl, "OpenStreetMap", 19};
  bool wait_for_map_ = true;
  int expected_errors_ = 0;
  std::unique_ptr<CGoogleMapDlg2> window_;
  int engine_failures_ = 0;
};

}  // namespace mapview
