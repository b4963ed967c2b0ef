#include "mapview/ui/CGSensorDlg.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <vector>

#include "SeriesMaker.h"

namespace mapview {
namespace {

using recording::AccelSample;

// 151 x 106: 100 drawable columns, the zero line at 53, 50 px per G at zoom 1.
constexpr int kWidth = 151;
constexpr int kHeight = 106;

class RecordingSink : public platform::MessageSink {
 public:
  void Post(std::uint32_t message, std::uintptr_t, std::intptr_t) override { posted.push_back(message); }
  std::vector<std::uint32_t> posted;
};

struct Graph {
  RecordingSink sink;
  CGSensorDlg dlg{nullptr, &sink};
  Graph() {
    dlg.resize(kWidth, kHeight);
    dlg.SetZoom(1);
  }
  void Show(SensorSeries series) {
    dlg.SetSeries(std::move(series));
    dlg.SetShowData(true);
  }
  QImage Grab() {
    QImage image(dlg.size(), QImage::Format_RGB32);
    dlg.render(&image);
    return image;
  }
};

QRgb Rgb(int r, int g, int b) { return qRgb(r, g, b); }
constexpr QRgb kWhite = 0xFFFFFFFF;

// Ten frames, one sample each, X at x_value, Y at -0.5 G, Z at 0.
SensorSeries Flat(double x_value) {
  return SeriesMaker::OnePerFrame(10, [x_value](std::int32_t, AccelSample& s) {
    s.x = x_value;
    s.y = -0.5;
  });
}

TEST(CGSensorDlg, TracesInTheirColoursOnTheComputedRows) {
  Graph g;
  g.Show(Flat(0.5));
  const QImage image = g.Grab();
  EXPECT_EQ(image.pixel(75, 28), Rgb(0, 255, 0));     // 0.5 G
  EXPECT_EQ(image.pixel(75, 78), Rgb(255, 0, 0));     // -0.5 G
  EXPECT_EQ(image.pixel(75, 53), Rgb(128, 128, 255));  // 0 G on the zero line
  EXPECT_NE(image.pixel(75, 27), Rgb(0, 255, 0));
  EXPECT_NE(image.pixel(75, 29), Rgb(0, 255, 0));
}

TEST(CGSensorDlg, ValuesFarOutsideStayFivePixelsInsideTheEdges) {
  Graph g;
  g.Show(SeriesMaker::OnePerFrame(10, [](std::int32_t, AccelSample& s) {
    s.x = 2.5;
    s.y = -2.5;
  }));
  const QImage image = g.Grab();
  EXPECT_EQ(image.pixel(75, 5), Rgb(0, 255, 0));
  EXPECT_EQ(image.pixel(75, kHeight - 6), Rgb(255, 0, 0));
  for (int y : {0, 1, 2, 3, 4, kHeight - 5, kHeight - 1}) {
    EXPECT_NE(image.pixel(75, y), Rgb(0, 255, 0)) << y;
    EXPECT_NE(image.pixel(75, y), Rgb(255, 0, 0)) << y;
  }
}

TEST(CGSensorDlg, ZoomThreeShowsFourTimesTheRangeOfZoomZero) {
  Graph g;
  g.Show(Flat(1.0));
  g.dlg.SetZoom(3);
  EXPECT_EQ(g.Grab().pixel(75, 28), Rgb(0, 255, 0));  // 1 G at 25 px per G
  g.Show(Flat(0.25));
  g.dlg.SetZoom(0);
  EXPECT_EQ(g.Grab().pixel(75, 28), Rgb(0, 255, 0));  // 0.25 G at 100 px per G
}

TEST(CGSensorDlg, SpeedingBandIsHalfTransparentDarkRedOverTheBottomRows) {
  // Frames 2-4 speeding: columns 70-99.
  const auto speeding = SeriesMaker::OnePerFrame(10, [](std::int32_t i, AccelSample& s) {
    if (i >= 2 && i < 5) s.flag = 8;
  });
  Graph g;
  g.Show(speeding);
  g.dlg.SetEntryFlags(6, false);
  const QImage plain = g.Grab();
  g.dlg.SetEntryFlags(6, true);
  const QImage banded = g.Grab();
  for (int y : {kHeight - 21, kHeight - 10, kHeight - 1}) {
    const QColor under = QColor::fromRgb(plain.pixel(85, y));
    const QColor seen = QColor::fromRgb(banded.pixel(85, y));
    // 127 of 255 of RGB(170, 0, 0) over the rest.
    EXPECT_NEAR(seen.red(), 170 * 127 / 255.0 + under.red() * 128 / 255.0, 2) << y;
    EXPECT_NEAR(seen.green(), under.green() * 128 / 255.0, 2) << y;
    EXPECT_NEAR(seen.blue(), under.blue() * 128 / 255.0, 2) << y;
  }
  EXPECT_EQ(banded.pixel(85, kHeight - 22), plain.pixel(85, kHeight - 22));
  EXPECT_EQ(banded.pixel(105, kHeight - 10), plain.pixel(105, kHeight - 10));  // after the event
}

TEST(CGSensorDlg, MarkersInTheirKindsColoursWithTheirLabelsRows) {
  const auto events = SeriesMaker::OnePerFrame(10, [](std::int32_t i, AccelSample& s) {
    if (i == 3) s.event = 12;  // x 80, magenta, row 5
    if (i == 6) s.event = 5;   // x 110, white, "M" in row 3
  });
  Graph g;
  g.Show(events);
  const QImage image = g.Grab();
  EXPECT_EQ(image.pixel(80, 40), Rgb(255, 0, 255));
  EXPECT_EQ(image.pixel(80, kHeight - 1), Rgb(255, 0, 255));
  EXPECT_EQ(image.pixel(110, 40), kWhite);
  // The label of row 3 lies between 32 and 42, right of the line.
  auto white_in = [&](int top, int bottom) {
    int n = 0;
    for (int y = top; y < bottom; ++y) {
      for (int x = 111; x < 121; ++x) n += image.pixel(x, y) == kWhite;
    }
    return n;
  };
  EXPECT_GT(white_in(32, 44), 0);
  EXPECT_EQ(white_in(0, 30), 0);
}

TEST(CGSensorDlg, DriveAssistElevenShowsItsPictureInRowFour) {
  Graph g;
  g.Show(SeriesMaker::OnePerFrame(10, [](std::int32_t i, AccelSample& s) {
    if (i == 3) s.event = 11;  // x 80, yellow
  }));
  const QImage image = g.Grab();
  EXPECT_EQ(image.pixel(80, 30), Rgb(255, 255, 0));
  auto yellow_in = [&](int top, int bottom) {
    int n = 0;
    for (int y = top; y < bottom; ++y) {
      for (int x = 81; x < 91; ++x) n += image.pixel(x, y) == Rgb(255, 255, 0);
    }
    return n;
  };
  EXPECT_GT(yellow_in(42, 51), 10);  // the picture, keyed over the graph
  EXPECT_EQ(yellow_in(0, 41), 0);
}

TEST(CGSensorDlg, CursorAtItsColumnAndAtTheMarginWithoutFrames) {
  Graph g;
  g.Show(Flat(0.5));
  g.dlg.MoveCursor(5);
  EXPECT_EQ(g.Grab().pixel(100, 15), kWhite);  // int(5 * 101 / 10) + 50
  g.dlg.SetRange(0, 0);
  EXPECT_EQ(g.Grab().pixel(50, 15), kWhite);
}

// The two pictures differ at most in the cursor's columns.
bool SameBesideColumns(const QImage& a, const QImage& b, std::vector<int> columns) {
  if (a.size() != b.size()) return false;
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x) {
      if (std::find(columns.begin(), columns.end(), x) != columns.end()) continue;
      if (a.pixel(x, y) != b.pixel(x, y)) return false;
    }
  }
  return true;
}

TEST(CGSensorDlg, NoDataDrawsOnlyBackgroundAxisAndCursor) {
  Graph bare;
  bare.dlg.SetShowData(true);
  const QImage nothing = bare.Grab();  // cursor at the margin, 50
  EXPECT_EQ(nothing.pixel(50, 15), kWhite);

  Graph past_the_end;
  past_the_end.Show(Flat(0.5));
  past_the_end.dlg.MoveCursor(10);  // column 151: outside the window
  Graph empty_list;
  empty_list.Show(SensorSeries({AccelSample{}}, {}));
  Graph no_samples;
  no_samples.Show(SensorSeries({}, {0, 0, 0}));
  Graph hidden;
  hidden.Show(Flat(0.5));
  hidden.dlg.SetShowData(false);
  hidden.dlg.MoveCursor(1);  // column 60
  EXPECT_TRUE(SameBesideColumns(past_the_end.Grab(), nothing, {50}));
  EXPECT_EQ(empty_list.Grab(), nothing);
  EXPECT_EQ(no_samples.Grab(), nothing);
  EXPECT_TRUE(SameBesideColumns(hidden.Grab(), nothing, {50, 60}));
}

TEST(CGSensorDlg, CursorMovesDoNotRedrawTheCachedImage) {
  Graph g;
  g.Show(Flat(0.5));
  g.Grab();
  ASSERT_EQ(g.dlg.cache_renders(), 1);
  for (int f = 1; f < 10; ++f) {
    g.dlg.MoveCursor(f);
    const QImage image = g.Grab();
    EXPECT_EQ(image.pixel(50 + f * 101 / 10, 15), kWhite) << f;
    EXPECT_EQ(image.pixel(75, 28), Rgb(0, 255, 0)) << f;
  }
  EXPECT_EQ(g.dlg.cache_renders(), 1);
  // Leaving the list hides the data: drawn again, and again on coming back.
  g.dlg.MoveCursor(10);
  EXPECT_NE(g.Grab().pixel(75, 28), Rgb(0, 255, 0));
  EXPECT_EQ(g.dlg.cache_renders(), 2);
  g.dlg.MoveCursor(3);
  EXPECT_EQ(g.Grab().pixel(75, 28), Rgb(0, 255, 0));
  EXPECT_EQ(g.dlg.cache_renders(), 3);
  // What the cache shows changes: each of these draws it once more.
  g.dlg.SetZoom(2);
  g.Grab();
  g.dlg.SetOptionalDetectors(false);
  g.Grab();
  g.dlg.SetEntryFlags(4, false);
  g.Grab();
  g.dlg.resize(kWidth + 10, kHeight);
  g.Grab();
  EXPECT_EQ(g.dlg.cache_renders(), 7);
}

TEST(CGSensorDlg, ButtonReleasesPostUnlessClicksAreDisabled) {
  Graph g;
  QTest::mouseRelease(&g.dlg, Qt::LeftButton, {}, QPoint(60, 20));
  QTest::mouseRelease(&g.dlg, Qt::RightButton, {}, QPoint(60, 20));
  EXPECT_EQ(g.sink.posted, (std::vector<std::uint32_t>{0x8191, 0x8192}));
  g.dlg.SetClicksDisabled(true);
  QTest::mouseRelease(&g.dlg, Qt::LeftButton, {}, QPoint(60, 20));
  QTest::mouseRelease(&g.dlg, Qt::RightButton, {}, QPoint(60, 20));
  EXPECT_EQ(g.sink.posted.size(), 2u);
}

}  // namespace
}  // namespace mapview
