// The overlay text on the picture: visible, blended over the picture at its
// edges, and nothing of the picture changed outside its glyphs, whatever
// colour the picture has (black included, which was once the overlay's
// transparent key).
#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>

#include "TestFiles.h"
#include "ViewUnderTest.h"

namespace player {
namespace {

namespace fs = std::filesystem;

struct Picture {
  const char* name;
  const char* source;  // an ffmpeg lavfi source
  bool plain;          // one colour all over
  friend void PrintTo(const Picture& p, std::ostream* os) { *os << p.name; }
};

fs::path MakeClip(const fs::path& dir, const Picture& p) {
  const fs::path path = dir / (std::string(p.name) + ".MOV");
  int status = 0;
  const std::string log = testfiles::Run("ffmpeg -nostdin -v error -y -f lavfi -i " + std::string(p.source) +
                                             ":size=320x180:rate=30 -t 1 -pix_fmt yuv420p -c:v libx264 -g 10 "
                                             "-movflags +faststart -f mov '" + path.string() + "' 2>&1",
                                         &status);
  if (status != 0) throw std::runtime_error("ffmpeg cannot write " + path.string() + ": " + log);
  return path;
}

class Overlay : public ::testing::TestWithParam<Picture> {};

TEST_P(Overlay, TextIsDrawnOverThePictureAndNothingElseChanges) {
  testfiles::TempDir dir;
  ViewUnderTest t;
  ASSERT_TRUE(t.Open(MakeClip(dir.path(), GetParam())));
  ASSERT_EQ(t.view.ShowFrame(5), S_OK);
  ASSERT_TRUE(t.view.WaitForFrame(5, std::chrono::seconds(5)));

  // Twice the video's size: the 300 x 120 overlay takes 600 x 240 at the bottom right.
  const QSize size(640, 360);
  const QRect box(40, 120, 600, 240);
  const QImage base = t.view.Compose(size).convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(t.view.OverlayText("12 km/h"), S_OK);
  const QImage shown = t.view.Compose(size).convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(shown.size(), base.size());

  int outside_changed = 0, text = 0, not_a_blend = 0;
  for (int y = 0; y < size.height(); ++y) {
    for (int x = 0; x < size.width(); ++x) {
      const QRgb b = base.pixel(x, y), s = shown.pixel(x, y);
      if (!box.contains(x, y)) {
        outside_changed += b != s;
        continue;
      }
      // Every pixel lies between the picture's and the text's pure green:
      // a dark rim around the glyphs would not.
      constexpr int kTolerance = 2;
      not_a_blend += qRed(s) > qRed(b) + kTolerance || qBlue(s) > qBlue(b) + kTolerance ||
                     qGreen(s) + kTolerance < qGreen(b);
      text += qGreen(s) > 200 && qRed(s) < 60 && qBlue(s) < 60 && (qRed(b) > 100 || qBlue(b) > 100 || qGreen(b) < 150);
    }
  }
  EXPECT_EQ(outside_changed, 0) << "the picture changed outside the overlay";
  EXPECT_EQ(not_a_blend, 0) << "pixels of the overlay are not text blended over the picture";
  if (GetParam().plain) {
    EXPECT_GT(text, 500) << "the text is not visible";
    // Off the glyphs the plain picture stays as it was.
    const QRect corner(box.right() - 20, box.top(), 20, 20);
    for (int y = corner.top(); y <= corner.bottom(); ++y) {
      for (int x = corner.left(); x <= corner.right(); ++x) ASSERT_EQ(shown.pixel(x, y), base.pixel(x, y)) << x << "," << y;
    }
  }

  ASSERT_EQ(t.view.RestoreOverlay(), S_OK);
  EXPECT_EQ(t.view.Compose(size).convertToFormat(QImage::Format_RGB32), base);
}

INSTANTIATE_TEST_SUITE_P(Player, Overlay,
                         ::testing::Values(Picture{"black_the_old_key_colour", "color=c=black", true},
                                           Picture{"white", "color=c=white", true},
                                           Picture{"test_pattern", "testsrc2=alpha=255", false}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace player
