#include "viewer/skin/UiFonts.h"

#include <gtest/gtest.h>

#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include "viewer/skin/UiQText.h"

namespace viewer {
namespace {

TEST(UiFontsTest, FiveFontsWithPixelSizes) {
  UiFonts fonts(96, 96);
  const int expected[] = {12, 13, 17, 23, 29};
  for (int i = 0; i < 5; ++i) {
    const QFont& f = fonts.font(static_cast<UiFontSize>(i));
    EXPECT_EQ(f.pixelSize(), expected[i]);
    EXPECT_EQ(f.family(), UiFonts::FaceName());
  }
}

TEST(UiFontsTest, JapaneseTextsResolveToAJapaneseFaceWithRealGlyphs) {
  ASSERT_FALSE(UiFonts::SubstituteFace().isEmpty()) << "no Japanese font installed";
  UiFonts fonts(96, 96);
  const QFont& font = fonts.font(UiFontSize::k13);
  const QFontInfo info(font);
  EXPECT_EQ(info.family(), UiFonts::SubstituteFace());
  const QFontMetrics metrics(font);
  for (int n : {0, 26, 48, 105, 141, 151}) {
    const QString text = UiQText(n);
    for (const QChar c : text) {
      EXPECT_TRUE(metrics.inFont(c)) << "text " << n << " has a character without a glyph";
    }
  }
  // Drawn, a text leaves ink.
  QImage image(200, 40, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.setFont(font);
  painter.setPen(Qt::black);
  painter.drawText(2, 30, UiQText(141));
  painter.end();
  int dark = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) dark += qGray(image.pixel(x, y)) < 128;
  }
  EXPECT_GT(dark, 60);
}

}  // namespace
}  // namespace viewer
