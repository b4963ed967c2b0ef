// The map page in the browser engine, offline, against a fake sink: what
// the page asks of the host, what it draws (read back from the page's
// objects and from the pixels of its canvases) and what it refuses.
#include <algorithm>
#include <cmath>
#include <csignal>
#include <ostream>
#include <vector>

#include <QJsonArray>
#include <QJsonDocument>
#include <QWebEngineView>

#include "MapPageFixture.h"
#include "mapview/HostWebViewObject.h"

namespace mapview {
namespace {

// A straight track heading north from (lat, lng), 0.0001 degrees (about
// 11 m) a fix, frames 10, 11, 12, ...
std::vector<recording::GpsSample> Track(double lat, double lng, int fixes) {
  std::vector<recording::GpsSample> track;
  for (int i = 0; i < fixes; ++i) track.push_back(Fix(lat + i * 0.0001, lng, 10 + i));
  return track;
}

class MapPage : public MapPageFixture {
 protected:
  int Count(const char* expression) { return Eval(expression).toInt(); }
  QString Colours(const char* list) {
    return Eval(QStringLiteral("orbitgrplist.%1.map(function (l) { return l.opts.strokeColor; }).join(',')")
                    .arg(QLatin1String(list)))
        .toString();
  }
  QPointF MarkerPosition() {
    const QVariantList position = Eval("[g_marker.getPosition().lat(), g_marker.getPosition().lng()]").toList();
    return position.size() == 2 ? QPointF(position[0].toDouble(), position[1].toDouble()) : QPointF(999, 999);
  }
  // The colour the canvas of z-index z holds at a GPS point, once Leaflet's
  // deferred redraw has run.
  QColor PixelAt(int z, double lat, double lng) {
    QTest::qWait(150);
    const QVariantList rgba =
        Eval(QStringLiteral("(function () { var r = g_map._renderers[%1]; if (!r) return [];"
                            "var p = g_map._leaflet.latLngToLayerPoint([%2, %3]).subtract(r._bounds.min);"
                            "var s = L.Browser.retina ? 2 : 1;"
                            "var d = r._ctx.getImageData(Math.round(p.x * s), Math.round(p.y * s), 1, 1).data;"
                            "return [d[0], d[1], d[2], d[3]]; })()")
                 .arg(z)
                 .arg(lat, 0, 'f', 7)
                 .arg(lng, 0, 'f', 7))
            .toList();
    if (rgba.size() != 4) return QColor();
    return QColor(rgba[0].toInt(), rgba[1].toInt(), rgba[2].toInt(), rgba[3].toInt());
  }
  // Where a point of the map lies in the window, in widget pixels.
  QPoint WidgetPoint(double lat, double lng, int up_css_px) {
    const QVariantList p = Eval(QStringLiteral("(function () { var p = g_map._leaflet.latLngToContainerPoint([%1, %2]);"
                                               "return [p.x, p.y]; })()")
                                    .arg(lat, 0, 'f', 7)
                                    .arg(lng, 0, 'f', 7))
                               .toList();
    if (p.size() != 2) return {};
    return QPoint(qRound(p[0].toDouble() * CGoogleMapDlg2::kZoomFactor),
                  qRound((p[1].toDouble() - up_css_px) * CGoogleMapDlg2::kZoomFactor));
  }
};

TEST_F(MapPage, BuildsItsMapOnceOfflineAndAsksForTheStatusAboutOnceASecond) {
  const int sends_before = sink_.set_sends;
  QTest::qWait(3200);
  const int sends = sink_.set_sends - sends_before;
  EXPECT_GE(sends, 2);
  EXPECT_LE(sends, 4);
  EXPECT_EQ(sink_.init_html, 1);
  EXPECT_GT(window_->interceptor()->blocked(), 0) << "the tiles were never asked for";
  EXPECT_EQ(Eval("document.title").toString(), "Google Maps");
  EXPECT_DOUBLE_EQ(window_->view()->zoomFactor(), CGoogleMapDlg2::kZoomFactor);
}

struct SplitCase {
  const char* name;
  double step;  // degrees of latitude between the third and the fourth fix
  int pieces;
};

void PrintTo(const SplitCase& row, std::ostream* out) { *out << row.name; }

class MapPageSplit : public MapPage, public ::testing::WithParamInterface<SplitCase> {};

TEST_P(MapPageSplit, CutsTheTrackOnlyAboveTheGap) {
  std::vector<recording::GpsSample> track = {Fix(35.0, 139.0, 1), Fix(35.0001, 139.0, 2), Fix(35.0002, 139.0, 3)};
  track.push_back(Fix(35.0002 + GetParam().step, 139.0, 4));
  track.push_back(Fix(35.0003 + GetParam().step, 139.0, 5));
  sink_.grid = track;
  sink_.group = track;
  sink_.frame = 0;
  Reload();
  EXPECT_EQ(Count("orbitgrplist.orbitlist.length"), GetParam().pieces);
  EXPECT_EQ(Count("orbitgrplist.grpline.length"), GetParam().pieces);
  EXPECT_EQ(Count("orbitgrplist.schline.length"), GetParam().pieces);
}

INSTANTIATE_TEST_SUITE_P(Rows, MapPageSplit,
                         ::testing::Values(SplitCase{"gap_0_0014_splits", 0.0014, 2},
                                           SplitCase{"gap_0_0013_stays_whole", 0.0013, 1},
                                           SplitCase{"repeated_fix_stays_whole", -0.0001, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MapPage, EastWestGapIsMeasuredWithTheCosineOfTheLatitude) {
  // 0.0025 degrees of longitude at 60 degrees north is 0.00125 of a great
  // circle degree: no gap, though the raw difference is far above it.
  sink_.grid = std::vector<recording::GpsSample>{Fix(60.0, 10.0, 1), Fix(60.0, 10.0025, 2)};
  sink_.frame = 0;
  Reload(false);
  EXPECT_EQ(Count("orbitgrplist.orbitlist.length"), 1);
  sink_.grid = std::vector<recording::GpsSample>{Fix(60.0, 10.0, 1), Fix(60.0, 10.0028, 2)};
  Reload(false);
  EXPECT_EQ(Count("orbitgrplist.orbitlist.length"), 2);
}

TEST_F(MapPage, SingleFixIsOnePieceWithTheMarkerOnIt) {
  sink_.grid = std::vector<recording::GpsSample>{Fix(-12.0461, -77.0428, 5)};
  sink_.frame = 5;
  Reload(false);
  EXPECT_EQ(Count("orbitgrplist.orbitlist.length"), 1);
  const QPointF marker = MarkerPosition();
  EXPECT_DOUBLE_EQ(marker.x(), -12.0461);
  EXPECT_DOUBLE_EQ(marker.y(), -77.0428);
}

TEST_F(MapPage, PackedTracksReachThePageAsTheArrayReadsBack) {
  // Through the shim the page gets the very numbers the plain array's text
  // reads as.
  sink_.group = std::vector<recording::GpsSample>{Fix(35.6812361, 139.7671249, 1), Fix(35.68124, 139.76713, 2),
                                                  Fix(-0.0000001, 0.0, 3), Fix(-33.8751234, -70.1250001, 3),
                                                  Fix(89.9999999, -179.9999999, 250000), Fix(1, 2, 9, 0)};
  const QJsonArray page = QJsonDocument::fromJson(Eval("JSON.stringify(host.JS2C_GetGPSData())").toByteArray()).array();
  const QJsonArray text =
      QJsonDocument::fromJson(QByteArray::fromStdString(HostWebViewObject::GpsPointArray(sink_.group))).array();
  ASSERT_EQ(page.size(), 16);
  ASSERT_EQ(text.size(), 16);
  for (qsizetype i = 0; i < page.size(); ++i) EXPECT_EQ(page[i].toDouble(), text[i].toDouble()) << i;
  sink_.grid = std::vector<recording::GpsSample>{};
  EXPECT_EQ(Eval("JSON.stringify(host.JS2C_GetGridData(0))").toString(), QStringLiteral("[0]"));
}

TEST_F(MapPage, PositionsKeepDoublePrecision) {
  // A 32-bit float would put this a metre off.
  sink_.grid = std::vector<recording::GpsSample>{Fix(35.6812361, 139.7671249, 1), Fix(35.6812462, 139.7671349, 2)};
  sink_.frame = 1;
  Reload(false);
  const QPointF marker = MarkerPosition();
  EXPECT_DOUBLE_EQ(marker.x(), 35.6812361);
  EXPECT_DOUBLE_EQ(marker.y(), 139.7671249);
}

TEST_F(MapPage, FrameBeforeTheTrackLeavesItAllUnplayedRed) {
  sink_.grid = Track(35.0, 139.0, 20);
  sink_.frame = 3;
  Reload(false);
  EXPECT_EQ(Colours("histline"), "");
  EXPECT_EQ(Colours("schline"), "#FF0000");
  EXPECT_EQ(MarkerPosition(), QPointF(35.0, 139.0));
  const QColor pixel = PixelAt(2, 35.0010, 139.0);
  EXPECT_GT(pixel.red(), 200) << pixel.name().toStdString();
  EXPECT_LT(pixel.blue(), 60) << pixel.name().toStdString();
}

TEST_F(MapPage, FrameAfterTheTrackLeavesItAllPlayedBlue) {
  sink_.grid = Track(35.0, 139.0, 20);
  sink_.frame = 500;
  Reload(false);
  EXPECT_EQ(Colours("histline"), "#0000FF");
  EXPECT_EQ(Colours("schline"), "");
  const QPointF marker = MarkerPosition();
  EXPECT_DOUBLE_EQ(marker.x(), 35.0019);
  const QColor pixel = PixelAt(2, 35.0010, 139.0);
  EXPECT_GT(pixel.blue(), 200) << pixel.name().toStdString();
  EXPECT_LT(pixel.red(), 60) << pixel.name().toStdString();
}

TEST_F(MapPage, FrameInsideSplitsPlayedFromUnplayedAtTheMarker) {
  sink_.grid = Track(35.0, 139.0, 20);
  sink_.frame = 20;  // first fix at frame 20 or later: index 10; the marker stands one before it
  Reload(false);
  EXPECT_EQ(Colours("histline"), "#0000FF");
  EXPECT_EQ(Colours("schline"), "#FF0000");
  EXPECT_EQ(Count("orbitgrplist.histline[0].opts.path.length"), 10);
  EXPECT_EQ(Count("orbitgrplist.schline[0].opts.path.length"), 11);
  EXPECT_DOUBLE_EQ(MarkerPosition().x(), 35.0009);
  EXPECT_GT(PixelAt(2, 35.0003, 139.0).blue(), 200);
  EXPECT_GT(PixelAt(2, 35.0016, 139.0).red(), 200);
}

TEST_F(MapPage, GroupTrackIsHalfTransparentRedUnderTheRecording) {
  sink_.group = Track(35.0, 139.0, 20);
  sink_.grid = std::vector<recording::GpsSample>{};
  sink_.frame = 0;
  Reload();
  Eval("g_map.panTo(new google.maps.LatLng(35.001, 139.0))");
  EXPECT_EQ(Count("orbitgrplist.grpline.length"), 1);
  EXPECT_EQ(Eval("orbitgrplist.grpline[0].opts.strokeOpacity").toDouble(), 0.5);
  const QColor pixel = PixelAt(1, 35.0010, 139.0);
  EXPECT_GT(pixel.red(), 200);
  EXPECT_GT(pixel.alpha(), 100);
  EXPECT_LT(pixel.alpha(), 160);
}

// Fixes 0.0001 degrees apart on the straight way from one corner to the
// next, frames counting on from the track's last.
void Leg(std::vector<recording::GpsSample>& track, double to_lat, double to_lng) {
  const double from_lat = track.back().latitude;
  const double from_lng = track.back().longitude;
  const int steps = static_cast<int>(std::ceil(std::max(std::fabs(to_lat - from_lat), std::fabs(to_lng - from_lng)) / 0.0001));
  for (int i = 1; i <= steps; ++i) {
    track.push_back(Fix(from_lat + (to_lat - from_lat) * i / steps, from_lng + (to_lng - from_lng) * i / steps,
                        static_cast<int>(track.size()) + 10));
  }
}

TEST_F(MapPage, TrackLeavingTheViewAndComingBackIsNotJoinedAcrossIt) {
  // North out of the view west of its centre, round far outside it, and
  // back in from the south east of the centre: a line joining where the
  // track leaves to where it comes back would cross the centre.
  std::vector<recording::GpsSample> track{Fix(34.999, 138.998, 10)};
  Leg(track, 35.02, 138.998);
  Leg(track, 35.02, 139.03);
  Leg(track, 34.98, 139.03);
  Leg(track, 34.98, 139.002);
  Leg(track, 35.0, 139.002);
  sink_.group = track;
  sink_.grid = std::vector<recording::GpsSample>{};
  sink_.frame = 0;
  Reload();
  EXPECT_EQ(Count("orbitgrplist.grpline.length"), 1);
  for (const int zoom : {16, 17}) {
    SCOPED_TRACE(zoom);
    Eval(QStringLiteral("g_map.setZoom(%1); g_map.panTo(new google.maps.LatLng(35.0, 139.0))").arg(zoom));
    EXPECT_EQ(PixelAt(1, 35.0, 139.0).alpha(), 0);
    EXPECT_GT(PixelAt(1, 35.0005, 138.998).red(), 200);
    EXPECT_GT(PixelAt(1, 34.9995, 139.002).red(), 200);
    EXPECT_EQ(PixelAt(1, 35.0005, 139.0).alpha(), 0);
  }
}

struct StatusCase {
  const char* name;
  const char* status;
  bool follows;
};

void PrintTo(const StatusCase& row, std::ostream* out) { *out << row.name; }

class MapPageStatus : public MapPage, public ::testing::WithParamInterface<StatusCase> {};

TEST_P(MapPageStatus, MarkerFollowsTheFrameOnlyWhilePlaying) {
  sink_.grid = Track(35.0, 139.0, 20);
  sink_.frame = 12;
  Reload(false);
  ASSERT_DOUBLE_EQ(MarkerPosition().x(), 35.0001);
  window_->UpdateData(35.0001, 139.0, GetParam().status);
  // Let one status message reach the hidden fields, then move the frame.
  QTest::qWait(1300);
  sink_.frame = 25;
  QTest::qWait(2300);
  const double expected = GetParam().follows ? 35.0014 : 35.0001;
  EXPECT_DOUBLE_EQ(MarkerPosition().x(), expected);
  EXPECT_EQ(Eval("document.getElementById('map_status').value").toString().toStdString(), GetParam().status);
}

INSTANTIATE_TEST_SUITE_P(Rows, MapPageStatus,
                         ::testing::Values(StatusCase{"playing", "", true}, StatusCase{"pause", "pause", false},
                                           StatusCase{"pause_in_capitals", "PAUSE", false},
                                           StatusCase{"stop", "stop", false}),
                         [](const auto& info) { return std::string(info.param.name); });

struct ClickCase {
  const char* name;
  double lat, lng;
  int valid;
  bool marker_follows;
};

void PrintTo(const ClickCase& row, std::ostream* out) { *out << row.name; }

class MapPageClick : public MapPage, public ::testing::WithParamInterface<ClickCase> {};

TEST_P(MapPageClick, EventMarkerClickReportsItsPositionAndMovesTheMarkerByFixValidity) {
  const ClickCase& row = GetParam();
  sink_.grid = Track(row.lat, row.lng, 20);
  sink_.frame = 500;
  Reload(false);
  window_->ExecScript("cplist.AddCrashPos(5, 0.1, -0.4, 1.2, 1, 2, 345, " + std::to_string(row.lat - 0.0008) + ", " +
                      std::to_string(row.lng) + ", " + std::to_string(row.valid) + ", 42.5, 90)");
  ASSERT_EQ(Count("cplist.markers.length"), 1);
  // Away from the track's end; the click puts it back only for a valid fix.
  Eval("loadMarker(new google.maps.LatLng(1, 1), null)");
  Eval(QStringLiteral("g_map.panTo(new google.maps.LatLng(%1, %2))").arg(row.lat, 0, 'f', 7).arg(row.lng, 0, 'f', 7));
  QTest::qWait(200);
  // The middle of the 32 x 32 icon anchored at its bottom centre.
  const QPoint click = WidgetPoint(row.lat - 0.0008, row.lng, 16);
  QWidget* target = window_->view()->focusProxy();
  ASSERT_NE(target, nullptr);
  QTest::mouseClick(target, Qt::LeftButton, {}, click);
  ASSERT_TRUE(QTest::qWaitFor([this] { return !sink_.clicks.empty(); }, 3000)) << "click not reported";
  EXPECT_EQ(sink_.clicks[0].ipos, 345);
  EXPECT_EQ(sink_.clicks[0].ifile, 1);
  EXPECT_EQ(sink_.clicks[0].igrid, 2);
  EXPECT_NEAR(sink_.clicks[0].lat, row.lat - 0.0008, 1e-9);
  EXPECT_EQ(sink_.clicks[0].speed, 42.5);
  const QPointF marker = MarkerPosition();
  if (row.marker_follows) {
    EXPECT_NEAR(marker.x(), row.lat + 0.0019, 1e-9);
  } else {
    EXPECT_EQ(marker, QPointF(1, 1));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, MapPageClick,
    ::testing::Values(ClickCase{"north_east_with_fix", 35.0, 139.0, 1, true},
                      ClickCase{"south_west_with_fix", -33.45, -70.66, 1, true},
                      ClickCase{"without_fix", 35.0, 139.0, 0, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MapPage, EventMarkersUseTheirKindsIconAndClearAll) {
  window_->ExecScript("cplist.AddCrashPos(9, 0, 0, 0, 0, 0, 1, 35, 139, 1, 0, 0)");
  window_->ExecScript("cplist.AddCrashPos(99, 0, 0, 0, 0, 0, 2, 35, 139, 1, 0, 0)");
  EXPECT_EQ(Eval("cplist.markers[0].marker.opts.icon.url === g_iconurl[9]").toBool(), true);
  EXPECT_EQ(Eval("cplist.markers[1].marker.opts.icon.url === g_iconurl[2]").toBool(), true)
      << "a kind outside the table falls back to the default kind";
  EXPECT_EQ(Eval("cplist.markers[0].marker.opts.icon.url.indexOf('data:image/png;base64,')").toInt(), 0);
  EXPECT_EQ(Eval("new Set(g_iconurl).size").toInt(), 10);
  EXPECT_EQ(Count("document.querySelectorAll('.leaflet-marker-icon').length"), 3);
  window_->ExecScript("cplist.ClearCrashPos()");
  EXPECT_EQ(Count("cplist.markers.length"), 0);
  EXPECT_EQ(Count("document.querySelectorAll('.leaflet-marker-icon').length"), 1);
}

TEST_F(MapPage, NullAndEmptyArraysDrawNothingAndThrowNothing) {
  sink_.group = {};
  sink_.grid = std::nullopt;
  sink_.frame = 4;
  Reload();
  EXPECT_EQ(Count("orbitgrplist.grpline.length + orbitgrplist.histline.length + orbitgrplist.schline.length"), 0);
  EXPECT_EQ(Count("orbitgrplist.orbitlist.length"), 0);
  sink_.grid = std::vector<recording::GpsSample>{Fix(35, 139, 1, 0)};
  Reload();
  EXPECT_EQ(Count("orbitgrplist.grpline.length + orbitgrplist.histline.length + orbitgrplist.schline.length"), 0);
  EXPECT_EQ(MarkerPosition(), QPointF(0, 0)) << "the marker stays where it was";
  QTest::qWait(1200);
}

TEST_F(MapPage, EmptyGridAfterATrackLeavesNoStalePieces) {
  sink_.grid = Track(35.0, 139.0, 20);
  sink_.frame = 15;
  Reload(false);
  ASSERT_EQ(Count("orbitgrplist.orbitlist.length"), 1);
  sink_.grid = std::vector<recording::GpsSample>{};
  Reload(false);
  EXPECT_EQ(Count("orbitgrplist.orbitlist.length"), 0);
  Eval("orbitgrplist.MoveMarker()");
  EXPECT_EQ(Count("orbitgrplist.histline.length + orbitgrplist.schline.length"), 0);
}

TEST_F(MapPage, HostileTextInMessagesStaysInert) {
  sink_.on_set_send = [] { return true; };
  const std::string hostile = "\\\"</script><script>window.pwned = 1</script>'\\u2028";
  EXPECT_TRUE(window_->PostWebMessage(
      "{\"map_lat\":\"1000\",\"map_lng\":\"1000\",\"map_status\":\"" + hostile +
      "\",\"val_command\":\"update\",\"val_end\":\"\"}"));
  // Text the wrapper would write unescaped: not JSON, dropped whole.
  EXPECT_TRUE(window_->PostWebMessage("{\"map_status\":\"a\"b\"); window.pwned = 2; (\"\"}"));
  EXPECT_EQ(Eval("document.getElementById('map_status').value").toString(),
            QStringLiteral("\"</script><script>window.pwned = 1</script>'\u2028"));
  EXPECT_EQ(Eval("typeof window.pwned").toString(), "undefined");
  EXPECT_EQ(Eval("document.querySelectorAll('script').length").toInt(), 2) << "the page's own and the layer's";
}

TEST_F(MapPage, ErrorCounterSeesErrorsThePageHides) {
  Eval("setTimeout(function () { undefinedFunction(); }, 0)");
  QTest::qWait(300);
  EXPECT_EQ(Eval("window.__brennovaleErrors").toInt(), 1);
  expected_errors_ = 1;
}

TEST_F(MapPage, NavigationAwayFromTheSchemeIsRefused) {
  Eval("location.href = 'https://example.org/'");
  QTest::qWait(500);
  EXPECT_EQ(window_->page()->url().toString(), "brennovale://map/index.html");
  EXPECT_EQ(Eval("typeof orbitgrplist").toString(), "object");
}

TEST_F(MapPage, FailingRoundDoesNotEndTheOnceASecondLoop) {
  sink_.grid = Track(35.0, 139.0, 20);
  sink_.frame = 12;
  Reload(false);
  window_->UpdateData(35.0011, 139.0, "");
  Eval("orbitgrplist.MoveMarker = function () { throw new Error('round failed'); }");
  QTest::qWait(3300);
  // Each failed round is an error the shim counts.
  expected_errors_ = Eval("window.__brennovaleErrors").toInt();
  EXPECT_GE(expected_errors_, 2) << "show() stopped at the first failing round";
}

TEST_F(MapPage, FailedStatusSendIsIgnored) {
  sink_.send_result = false;
  const int before = sink_.set_sends;
  QTest::qWait(2300);
  EXPECT_GE(sink_.set_sends - before, 2);
}

TEST_F(MapPage, OnlineMarkFollowsTheProbe) {
  window_->SetOnlineMark(true);
  EXPECT_EQ(Eval("document.querySelector('.brennovale-online').dataset.online").toString(), "1");
  window_->SetOnlineMark(false);
  EXPECT_EQ(Eval("document.querySelector('.brennovale-online').dataset.online").toString(), "0");
  EXPECT_NE(Eval("document.querySelector('.leaflet-control-attribution').textContent").toString().indexOf(
                "OpenStreetMap"),
            -1);
}

class MapPageEngine : public MapPageFixture {
 protected:
  void SetUp() override {
    wait_for_map_ = false;
    MapPageFixture::SetUp();
  }
};

TEST_F(MapPageEngine, NoMapWithinTheStartTimeReportsFailureOnce) {
  sink_.connected = 0;  // the page never loads its layer
  window_->set_start_timeout_ms(800);
  ASSERT_TRUE(QTest::qWaitFor([this] { return engine_failures_ > 0; }, 12000));
  QTest::qWait(300);
  EXPECT_EQ(engine_failures_, 1);
  EXPECT_EQ(sink_.init_html, 0);
  EXPECT_FALSE(window_->PostWebMessage("{}"));
}

TEST_F(MapPageEngine, CrashedPageProcessReportsFailureOnce) {
  ASSERT_TRUE(QTest::qWaitFor([this] { return sink_.init_html > 0; }, kStartWaitMs));
  const qint64 pid = window_->page()->renderProcessPid();
  ASSERT_GT(pid, 0);
  ::kill(static_cast<pid_t>(pid), SIGKILL);
  ASSERT_TRUE(QTest::qWaitFor([this] { return engine_failures_ > 0; }, 5000));
  QTest::qWait(300);
  EXPECT_EQ(engine_failures_, 1);
}

}  // namespace
}  // namespace mapview
