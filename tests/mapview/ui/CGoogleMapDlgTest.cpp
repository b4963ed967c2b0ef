#include "mapview/ui/CGoogleMapDlg.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QTest>
#include <QWheelEvent>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <string>
#include <vector>

#include "FakeMapSink.h"
#include "mapview/MapScaleBar.h"
#include "viewer/skin/CResourceImage.h"

namespace mapview {
namespace {

constexpr int kWidth = 452;
constexpr int kHeight = 368;

std::string AddCrashPos(int icolor, double lat, double lng, int ipos) {
  return FakeMapSink::AddCrashPos(icolor, lat, lng, ipos);
}

struct Map {
  FakeMapSink sink;
  CGoogleMapDlg dlg{nullptr, &sink};

  Map() { dlg.resize(kWidth, kHeight); }

  // What the host sends when a recording starts.
  void Reload() {
    dlg.ExecScript("orbitgrplist.RemoveLineList()");
    dlg.ExecScript("orbitgrplist.CreateLine()");
    dlg.ExecScript("orbitgrplist.CreateGridLine(0)");
  }
  QImage Grab() {
    QImage image(dlg.size(), QImage::Format_RGB32);
    dlg.render(&image);
    return image;
  }
  QPoint At(const recording::GpsSample& s, QPointF shift = {}) const {
    return (dlg.ToWidget(s.latitude, s.longitude) + shift).toPoint();
  }
  QPoint Between(const recording::GpsSample& a, const recording::GpsSample& b) const {
    return ((dlg.ToWidget(a.latitude, a.longitude) + dlg.ToWidget(b.latitude, b.longitude)) / 2).toPoint();
  }
};

// Fixes stepping east (lng) by `step` degrees, frames 0, 1, 2, ...
std::vector<recording::GpsSample> East(double lat, double lng, const std::vector<double>& steps) {
  std::vector<recording::GpsSample> samples{Fix(lat, lng, 0)};
  for (double step : steps) {
    lng += step;
    samples.push_back(Fix(lat, lng, static_cast<int>(samples.size())));
  }
  return samples;
}

bool IsBackground(QRgb c) { return c == (CGoogleMapDlg::kBackground | 0xFF000000); }
bool IsBlue(QRgb c) { return qBlue(c) > 200 && qRed(c) < 60 && qGreen(c) < 60; }
bool IsRed(QRgb c) { return qRed(c) > 200 && qBlue(c) < 130 && qGreen(c) < 130; }

TEST(CGoogleMapDlg, ReportsPageReadyOnceAfterItIsCreated) {
  Map map;
  EXPECT_EQ(map.sink.init_html, 0);
  QApplication::processEvents();
  EXPECT_EQ(map.sink.init_html, 1);
  map.dlg.RunRound();
  EXPECT_EQ(map.sink.init_html, 1);
  EXPECT_FALSE(map.dlg.PostWebMessage("{}"));
  EXPECT_EQ(map.sink.set_sends, 0);
}

struct GapRow {
  std::string name;
  double step;
  bool gap;
};

class CGoogleMapDlgGapTest : public testing::TestWithParam<GapRow> {};

// At the equator a degree of longitude is a degree on the ground.
TEST_P(CGoogleMapDlgGapTest, AJumpBetweenFixesLeavesAGapInTheGroupTrack) {
  Map map;
  map.sink.group = East(0.5, 10.0, {0.0005, 0.0005, GetParam().step, 0.0005, 0.0005});
  map.sink.grid = std::nullopt;
  map.Reload();
  const QImage image = map.Grab();
  const auto& g = map.sink.group;
  EXPECT_TRUE(IsRed(image.pixel(map.Between(g[0], g[1]))));
  EXPECT_TRUE(IsRed(image.pixel(map.Between(g[4], g[5]))));
  const QRgb middle = image.pixel(map.Between(g[2], g[3]));
  EXPECT_EQ(IsBackground(middle), GetParam().gap) << std::hex << middle;
  EXPECT_EQ(IsRed(middle), !GetParam().gap) << std::hex << middle;
}

INSTANTIATE_TEST_SUITE_P(Steps, CGoogleMapDlgGapTest,
                         testing::Values(GapRow{"Step0_0014", 0.0014, true}, GapRow{"Step0_0013", 0.0013, false}),
                         [](const auto& info) { return info.param.name; });

TEST(CGoogleMapDlg, PlayedPartIsBlueAndUnplayedRedAroundTheMarker) {
  Map map;
  map.sink.grid = East(35.5, 139.25, std::vector<double>(9, 0.0004));
  map.sink.frame = 5;  // index 4
  map.Reload();
  const QImage image = map.Grab();
  const auto& g = *map.sink.grid;
  for (int i : {0, 1, 2}) EXPECT_TRUE(IsBlue(image.pixel(map.Between(g[i], g[i + 1])))) << i;
  for (int i : {5, 6, 7}) EXPECT_TRUE(IsRed(image.pixel(map.Between(g[i], g[i + 1])))) << i;
}

// The position marker's head carries a dark dot 20 px above its tip.
QPoint FindPositionDot(const QImage& image) {
  const QImage& marker = viewer::CResourceImage::Get(CGoogleMapDlg::kPositionImage);
  const QRgb dot = marker.pixel(16, 12);
  long sx = 0, sy = 0, n = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if ((image.pixel(x, y) & 0xFFFFFF) == (dot & 0xFFFFFF)) {
        sx += x;
        sy += y;
        ++n;
      }
    }
  }
  return n == 0 ? QPoint(-1, -1) : QPoint(static_cast<int>(sx / n), static_cast<int>(sy / n));
}

struct MarkerRow {
  std::string name;
  int frame;
  int index;
};

class CGoogleMapDlgMarkerTest : public testing::TestWithParam<MarkerRow> {};

TEST_P(CGoogleMapDlgMarkerTest, TheMarkerStandsOnTheFramesFix) {
  Map map;
  map.sink.grid = East(-33.9, -70.6, std::vector<double>(6, 0.0006));
  map.sink.frame = GetParam().frame;
  map.Reload();
  const QPoint dot = FindPositionDot(map.Grab());
  const QPoint expected = map.At(map.sink.grid->at(static_cast<std::size_t>(GetParam().index)), {0, -20});
  EXPECT_LE((dot - expected).manhattanLength(), 3) << dot.x() << "," << dot.y();
}

INSTANTIATE_TEST_SUITE_P(Frames, CGoogleMapDlgMarkerTest,
                         testing::Values(MarkerRow{"BeforeTheTrack", 0, 0}, MarkerRow{"Inside", 4, 3},
                                         MarkerRow{"AfterTheTrack", 50, 6}),
                         [](const auto& info) { return info.param.name; });

TEST(CGoogleMapDlg, TheMarkerFollowsTheFrameEverySecondWhilePlaying) {
  Map map;
  map.sink.grid = East(35.5, 139.25, std::vector<double>(6, 0.0006));
  map.sink.frame = 1;
  map.Reload();
  map.sink.frame = 6;  // index 5
  map.dlg.UpdateData(35.5, 139.25, "PAUSE");
  map.dlg.RunRound();
  EXPECT_LE((FindPositionDot(map.Grab()) - map.At(map.sink.grid->at(0), {0, -20})).manhattanLength(), 3);
  map.dlg.UpdateData(35.5, 139.25, "");
  map.dlg.RunRound();
  EXPECT_LE((FindPositionDot(map.Grab()) - map.At(map.sink.grid->at(5), {0, -20})).manhattanLength(), 3);
}

// Every opaque pixel of the icon is in the window, its tip on the point.
int IconMismatches(const QImage& image, const QImage& icon, QPoint tip) {
  int mismatches = 0;
  for (int y = 0; y < icon.height(); ++y) {
    for (int x = 0; x < icon.width(); ++x) {
      const QRgb want = icon.pixel(x, y);
      if (qAlpha(want) != 255) continue;
      const QRgb got = image.pixel(tip.x() - 16 + x, tip.y() - 32 + y);
      if (std::abs(qRed(got) - qRed(want)) > 2 || std::abs(qGreen(got) - qGreen(want)) > 2 ||
          std::abs(qBlue(got) - qBlue(want)) > 2) {
        ++mismatches;
      }
    }
  }
  return mismatches;
}

struct IconRow {
  std::string name;
  int icolor;
  int image;
};

class CGoogleMapDlgIconTest : public testing::TestWithParam<IconRow> {};

TEST_P(CGoogleMapDlgIconTest, TheKindsIconStandsWhereAddCrashPosPutIt) {
  Map map;
  map.sink.grid = East(35.5, 139.25, std::vector<double>(6, 0.001));
  map.sink.frame = 0;
  map.Reload();
  const auto& g = *map.sink.grid;
  map.dlg.ExecScript(AddCrashPos(GetParam().icolor, g[4].latitude, g[4].longitude, 77));
  const QImage& icon = viewer::CResourceImage::Get(GetParam().image);
  ASSERT_FALSE(icon.isNull());
  const QImage image = map.Grab();
  EXPECT_EQ(IconMismatches(image, icon, map.At(g[4])), 0);
  // Not where nothing was put.
  EXPECT_GT(IconMismatches(image, icon, map.At(g[2])), 50);
}

INSTANTIATE_TEST_SUITE_P(Kinds, CGoogleMapDlgIconTest,
                         testing::Values(IconRow{"ImpactX", 0, 183}, IconRow{"ImpactRise", 4, 183},
                                         IconRow{"UserPoint", 5, 185}, IconRow{"Parking", 7, 216},
                                         IconRow{"Radar", 10, 330}, IconRow{"AssistDB", 13, 181}),
                         [](const auto& info) { return info.param.name; });

void Click(QWidget& widget, QPoint at) {
  QTest::mouseClick(&widget, Qt::LeftButton, Qt::NoModifier, at);
}

struct ClickRow {
  std::string name;
  double lat, lng;
};

class CGoogleMapDlgClickTest : public testing::TestWithParam<ClickRow> {};

TEST_P(CGoogleMapDlgClickTest, AClickOnAnEventMarkerTellsTheHostItsPosition) {
  Map map;
  map.dlg.show();
  map.sink.grid = East(GetParam().lat, GetParam().lng, std::vector<double>(6, 0.001));
  map.sink.frame = 0;
  map.Reload();
  const auto& g = *map.sink.grid;
  map.dlg.ExecScript(AddCrashPos(2, g[1].latitude, g[1].longitude, 11));
  map.dlg.ExecScript(AddCrashPos(6, g[5].latitude, g[5].longitude, 555));
  Click(map.dlg, map.At(g[3], {0, -16}));  // no marker there
  EXPECT_TRUE(map.sink.clicks.empty());
  map.sink.frame = 6;  // the host seeks to the event
  Click(map.dlg, map.At(g[5], {0, -16}));
  ASSERT_EQ(map.sink.clicks.size(), 1u);
  EXPECT_EQ(map.sink.clicks[0].ipos, 555);
  EXPECT_EQ(map.sink.clicks[0].igrid, 2);
  EXPECT_NEAR(map.sink.clicks[0].lat, g[5].latitude, 1e-6);
  EXPECT_NEAR(map.sink.clicks[0].lng, g[5].longitude, 1e-6);
  // The fix is valid wherever it lies: the marker moves to the new frame.
  EXPECT_LE((FindPositionDot(map.Grab()) - map.At(g[5], {0, -20})).manhattanLength(), 3);
}

INSTANTIATE_TEST_SUITE_P(Points, CGoogleMapDlgClickTest,
                         testing::Values(ClickRow{"NorthEast", 35.5, 139.25}, ClickRow{"SouthWest", -33.9, -70.6},
                                         ClickRow{"NorthWest", 40.7, -74.0}),
                         [](const auto& info) { return info.param.name; });

TEST(CGoogleMapDlg, ADragPansThePictureAndIsNoClick) {
  Map map;
  map.dlg.show();
  map.sink.group = East(35.5, 139.25, std::vector<double>(6, 0.001));
  map.sink.grid = std::nullopt;
  map.Reload();
  const auto& g = map.sink.group;
  map.dlg.ExecScript(AddCrashPos(2, g[3].latitude, g[3].longitude, 9));
  const QPoint start = map.At(g[3], {0, -16});
  const QPoint old_line = map.Between(g[0], g[1]);
  ASSERT_TRUE(IsRed(map.Grab().pixel(old_line)));
  QTest::mousePress(&map.dlg, Qt::LeftButton, Qt::NoModifier, start);
  QMouseEvent move(QEvent::MouseMove, start + QPoint(30, 20), map.dlg.mapToGlobal(start + QPoint(30, 20)),
                   Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&map.dlg, &move);
  QTest::mouseRelease(&map.dlg, Qt::LeftButton, Qt::NoModifier, start + QPoint(30, 20));
  EXPECT_TRUE(map.sink.clicks.empty());
  EXPECT_EQ(map.Between(g[0], g[1]), old_line + QPoint(30, 20));
  const QImage image = map.Grab();
  EXPECT_TRUE(IsRed(image.pixel(old_line + QPoint(30, 20))));
  EXPECT_TRUE(IsBackground(image.pixel(old_line)));
}

TEST(CGoogleMapDlg, TheWheelZoomsAroundThePointer) {
  Map map;
  map.sink.grid = East(35.5, 139.25, std::vector<double>(6, 0.001));
  map.Reload();
  const auto& g = *map.sink.grid;
  const QPointF pointer = map.dlg.ToWidget(g[2].latitude, g[2].longitude);
  const double span = map.dlg.ToWidget(g[5].latitude, g[5].longitude).x() - pointer.x();
  QWheelEvent wheel(pointer, map.dlg.mapToGlobal(pointer), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                    Qt::NoScrollPhase, false);
  QApplication::sendEvent(&map.dlg, &wheel);
  const QPointF still = map.dlg.ToWidget(g[2].latitude, g[2].longitude);
  EXPECT_NEAR(still.x(), pointer.x(), 0.01);
  EXPECT_NEAR(still.y(), pointer.y(), 0.01);
  EXPECT_NEAR(map.dlg.ToWidget(g[5].latitude, g[5].longitude).x() - pointer.x(), span * 1.25, 0.01);
}

TEST(CGoogleMapDlg, ZoomedInTheViewFollowsTheMarkerOutOfTheWindow) {
  Map map;
  map.sink.grid = East(35.5, 139.25, std::vector<double>(20, 0.001));
  map.sink.frame = 1;  // index 0
  map.Reload();
  const auto& g = *map.sink.grid;
  const QPointF first = map.dlg.ToWidget(g[0].latitude, g[0].longitude);
  for (int notch = 0; notch < 4; ++notch) {  // 2.4 x, about the first fix
    QWheelEvent wheel(first, map.dlg.mapToGlobal(first), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(&map.dlg, &wheel);
  }
  ASSERT_FALSE(map.dlg.rect().contains(map.At(g[15])));
  map.sink.frame = 16;  // index 15
  map.dlg.UpdateData(35.5, 139.25, "");
  map.dlg.RunRound();
  const QPoint dot = FindPositionDot(map.Grab());
  EXPECT_TRUE(map.dlg.rect().contains(dot));
  EXPECT_LE((dot - map.At(g[15], {0, -20})).manhattanLength(), 3);
  // Within the window it stays where it is drawn: no jump on every round.
  map.sink.frame = 17;  // index 16, a fix further
  const QPoint next = map.At(g[16]);
  map.dlg.RunRound();
  EXPECT_EQ(map.At(g[16]), next);
}

TEST(CGoogleMapDlg, TheScaleBarIsAsLongAsItsDistance) {
  Map map;
  map.sink.grid = East(-33.9, -70.6, std::vector<double>(10, 0.0005));
  map.Reload();
  for (int zoom = 0; zoom < 2; ++zoom) {
    const QImage image = map.Grab();
    // The bar's base line, from its left end.
    const int y = kHeight - CGoogleMapDlg::kScaleBottom;
    int x = CGoogleMapDlg::kScaleLeft;
    while (x < kWidth && image.pixel(x, y) == CGoogleMapDlg::kScaleInk) ++x;
    const double drawn = x - CGoogleMapDlg::kScaleLeft;
    ASSERT_GT(drawn, 40.0);
    // Measured on the map: 10 fixes 0.0005 deg of longitude apart at 33.9 deg south.
    const auto& g = *map.sink.grid;
    const double track_pixels = map.dlg.ToWidget(g[9].latitude, g[9].longitude).x() -
                                map.dlg.ToWidget(g[0].latitude, g[0].longitude).x();
    const double track_metres = 9 * 0.0005 * MapScaleBar::kMetresPerDegree * std::cos(-33.9 * std::numbers::pi / 180.0);
    const double metres = MapScaleBar::Choose(track_metres / track_pixels, 100.0).metres;
    EXPECT_NEAR(drawn, metres * track_pixels / track_metres, 1.5) << metres;
    const QPointF at = map.dlg.ToWidget(g[4].latitude, g[4].longitude);
    QWheelEvent wheel(at, map.dlg.mapToGlobal(at), QPoint(), QPoint(0, 360), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(&map.dlg, &wheel);
  }
}

TEST(CGoogleMapDlg, GarbageStatementsLeaveThePictureAsItWas) {
  Map map;
  map.sink.group = East(35.5, 139.25, std::vector<double>(6, 0.001));
  map.sink.grid = map.sink.group;
  map.sink.frame = 3;
  map.Reload();
  const QImage before = map.Grab();
  map.sink.group = East(36.0, 140.0, std::vector<double>(3, 0.002));  // what a reload would fetch
  for (const char* text : {"orbitgrplist.CreateLine();", "orbitgrplist.CreateLine() ", "cplist.ClearCrashPos(1)",
                           "cplist.AddCrashPos(2,0.1,0.2)", "orbitgrplist.CreateGridLine(0);alert(1)",
                           "document.body.innerHTML='</script>'", ""}) {
    map.dlg.ExecScript(text);
  }
  EXPECT_EQ(map.Grab(), before);
}

TEST(CGoogleMapDlg, ShowAndHideAsTheHostAsks) {
  Map map;
  map.dlg.ShowMapWindow(true);
  EXPECT_TRUE(map.dlg.IsMapWindowVisible());
  map.dlg.ShowMapWindow(false);
  EXPECT_FALSE(map.dlg.IsMapWindowVisible());
}

}  // namespace
}  // namespace mapview
