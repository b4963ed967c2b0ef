#include <gtest/gtest.h>

#include <QPainter>
#include <QTest>

#include "RecordingSink.h"
#include "mapview/ui/CInfoDlg.h"
#include "viewer/skin/CResourceImage.h"
#include "viewer/skin/CSkinButton.h"
#include "viewer/skin/UiFonts.h"
#include "viewer/skin/UiQText.h"

namespace mapview {
namespace {

using viewer::UiFontSize;

const QColor kWhite(255, 255, 255);
constexpr int kValueFlags = Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip;

const QFont& Font(UiFontSize size) { return viewer::UiFonts::Shared().font(size); }

// What one box must hold: its text (over its placeholder picture, if any)
// on the panel's background.
struct Expected {
  Expected(QRect box_, QString text_, UiFontSize font_ = UiFontSize::k13, QColor colour_ = kWhite,
           int flags_ = kValueFlags, int placeholder_ = 0, QRect compared_ = {})
      : box(box_), text(std::move(text_)), font(font_), colour(colour_), flags(flags_), placeholder(placeholder_),
        compared(compared_) {}
  QRect box;
  QString text;
  UiFontSize font;
  QColor colour;
  int flags;
  int placeholder;
  QRect compared;  // the part of the box compared, when not all of it
  QRect Region() const { return compared.isNull() ? box : compared; }
};

QRect ToQRect(const PanelRect& r) { return QRect(r.left, r.top, r.width, r.height); }

QImage Rgb(const QImage& image) { return image.convertToFormat(QImage::Format_RGB32); }

// The boxes drawn the way the panel must draw them, on its plain background.
QImage Reference(const QSize& size, const std::vector<Expected>& boxes) {
  QImage image(size, QImage::Format_ARGB32_Premultiplied);
  image.fill(QColor::fromRgba(CInfoDlg::kBackground));
  {
    QPainter p(&image);
    for (const Expected& e : boxes) {
      if (e.placeholder) p.drawImage(e.box, viewer::CResourceImage::Get(e.placeholder));
      p.setFont(Font(e.font));
      p.setPen(e.colour);
      p.drawText(e.box, e.flags, e.text);
    }
  }
  return Rgb(image);
}

// True when the panel's pixels in region equal the reference's.
bool Same(const QImage& panel, const QImage& reference, const QRect& region) {
  return Rgb(panel).copy(region) == reference.copy(region);
}

class InfoPanel : public ::testing::Test {
 protected:
  void Place(int layout, QSize size) {
    panel_.resize(size);
    panel_.SetLayout(layout);
    panel_.show();
  }
  QImage Grab() { return panel_.grab().toImage(); }

  static InfoRecording Noon() {
    InfoRecording r;
    r.time_valid = true;
    r.start = {2024, 5, 0, 6, 12, 0, 0, 0};
    r.frame_interval_ms = 1000.0F / 30.0F;
    return r;
  }
  static InfoValues Known() {
    InfoValues v;
    v.frame = 30;
    v.x = static_cast<double>(290 / 1000.0F);
    v.y = static_cast<double>(-19 / 1000.0F);
    v.z = static_cast<double>(999 / 1000.0F);
    v.speed_valid = true;
    v.speed = 1234.6;
    v.status = 'R';
    return v;
  }

  RecordingSink sink_;
  CInfoDlg panel_{nullptr, &sink_};
};

TEST_F(InfoPanel, Layout0DrawsTheValuesInTheirBoxes) {
  Place(0, QSize(656, 85));
  panel_.SetRecording(Noon());
  panel_.SetModeText(viewer::UiQText(62));
  panel_.ShowValues(Known());
  const QImage shown = Grab();
  // In the order the boxes overlap: the unit over the speed, the titles'
  // last rows under the values.
  std::vector<Expected> boxes = {
      {QRect(356, 7, 200, 19), "2024/05/06 12:00:01"},
      {QRect(274, 7, 160, 27), viewer::UiQText(62), UiFontSize::k13, kWhite,
       Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine},
      {QRect(458, 60, 65, 21), "999 "},
      {QRect(458, 64, 100, 21), "km/h", UiFontSize::k13, kWhite, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine},
  };
  const std::vector<QColor> colours = {QColor(0, 255, 0), QColor(255, 0, 0), QColor(128, 128, 255)};
  const std::vector<QString> values = {"0.29G", "-0.01G", "0.99G"};
  for (int n = 0; n < 3; ++n) {
    // The next axis's button sits inside a title's box: compare the rows above
    // the values, left of that button.
    boxes.push_back({QRect(48 + 120 * n, 40, 150, 40), viewer::UiQText(65 + n), UiFontSize::k13, colours[n],
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, 0, QRect(48 + 120 * n, 40, 96, 22)});
    boxes.push_back({QRect(48 + 120 * n, 62, 58, 20), values[n]});
  }
  const QImage reference = Reference(shown.size(), boxes);
  for (const Expected& e : boxes) EXPECT_TRUE(Same(shown, reference, e.Region())) << e.text.toStdString();

  // The comparison sees a wrong cut, a wrong time and a wrong alignment.
  const QImage rounded = Reference(shown.size(), {{QRect(48, 62, 58, 20), "0.30G"}});
  EXPECT_FALSE(Same(shown, rounded, QRect(48, 62, 58, 20)));
  const QImage second_early = Reference(shown.size(), {{QRect(356, 7, 200, 19), "2024/05/06 12:00:00"}});
  EXPECT_FALSE(Same(shown, second_early, QRect(356, 7, 200, 19)));
  const QImage left = Reference(shown.size(), {{QRect(168, 62, 58, 20), "-0.01G", UiFontSize::k13, kWhite,
                                                Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine}});
  EXPECT_FALSE(Same(shown, left, QRect(168, 62, 58, 20)));
}

TEST_F(InfoPanel, ResetShowsEveryPlaceholder) {
  Place(0, QSize(656, 85));
  panel_.SetRecording(Noon());
  panel_.ShowValues(Known());
  panel_.Reset();
  const QImage shown = Grab();
  const std::vector<Expected> boxes = {
      {QRect(356, 7, 200, 19), "0000/00/00 00:00:00", UiFontSize::k13, kWhite, kValueFlags, 770},
      {QRect(458, 60, 65, 21), "", UiFontSize::k13, kWhite, kValueFlags, 771},
      {QRect(458, 64, 100, 21), "km/h", UiFontSize::k13, kWhite, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine},
      {QRect(48, 62, 58, 20), "-0.00G", UiFontSize::k13, kWhite, kValueFlags, 772},
      {QRect(168, 62, 58, 20), "-0.00G", UiFontSize::k13, kWhite, kValueFlags, 773},
      {QRect(288, 62, 58, 20), "-0.00G", UiFontSize::k13, kWhite, kValueFlags, 774},
  };
  const QImage reference = Reference(shown.size(), boxes);
  for (const Expected& e : boxes) EXPECT_TRUE(Same(shown, reference, e.Region())) << e.text.toStdString();
  // No GPS fix after a reset: its cell is plain background.
  const QRect gps = ToQRect(panel_.boxes().gps_cell);
  EXPECT_TRUE(Same(shown, Reference(shown.size(), {}), gps));
}

TEST_F(InfoPanel, GpsFixAndStatusIconsFollowTheValues) {
  Place(0, QSize(656, 85));
  InfoValues v = Known();
  const QImage blank = Reference(QSize(656, 85), {});
  panel_.ShowValues(v);
  const QImage with_fix = Grab();
  EXPECT_FALSE(Same(with_fix, blank, ToQRect(panel_.boxes().gps_cell)));
  v.speed_valid = false;
  v.status = 'r';
  panel_.ShowValues(v);
  const QImage without_fix = Grab();
  EXPECT_TRUE(Same(without_fix, blank, ToQRect(panel_.boxes().gps_cell)));
  const QRect status = ToQRect(panel_.boxes().status_cell);
  EXPECT_NE(Rgb(with_fix).copy(status), Rgb(without_fix).copy(status)) << "'R' and 'r' have icons of their own";
  EXPECT_FALSE(Same(without_fix, blank, status));
}

TEST_F(InfoPanel, EventKindsOneToSixDrawAnIcon) {
  Place(0, QSize(656, 85));
  const QImage blank = Reference(QSize(656, 85), {});
  const QRect cell = ToQRect(panel_.boxes().event_icon);
  std::vector<QImage> icons;
  for (int kind = 0; kind <= 7; ++kind) {
    InfoValues v;
    v.event_kind = kind;
    panel_.ShowValues(v);
    const QImage shown = Grab();
    if (kind == 0 || kind == 7) {
      EXPECT_TRUE(Same(shown, blank, cell)) << kind;
    } else {
      EXPECT_FALSE(Same(shown, blank, cell)) << kind;
      for (const QImage& other : icons) EXPECT_NE(Rgb(shown).copy(cell), other) << kind;
      icons.push_back(Rgb(shown).copy(cell));
    }
  }
}

TEST_F(InfoPanel, CompactStripDrawsTwoRows) {
  Place(2, QSize(590, 32));
  panel_.SetRecording(Noon());
  panel_.ShowValues(Known());
  const QImage shown = Grab();
  const InfoPanelLayout& b = panel_.boxes();
  const std::vector<Expected> boxes = {
      {ToQRect(b.date_time), "2024/05/06 12:00:01", UiFontSize::k9},
      {ToQRect(b.speed_value), "999 ", UiFontSize::k9},
      {ToQRect(b.axis_values[0]), "0.29G", UiFontSize::k9},
      {ToQRect(b.axis_values[1]), "-0.01G", UiFontSize::k9},
      {ToQRect(b.axis_values[2]), "0.99G", UiFontSize::k9},
  };
  const QImage reference = Reference(shown.size(), boxes);
  for (const Expected& e : boxes) EXPECT_TRUE(Same(shown, reference, e.Region())) << e.text.toStdString();
  for (int n = 0; n < 3; ++n) EXPECT_FALSE(panel_.axis_button(n)->isVisible());
}

class AxisButton : public InfoPanel, public ::testing::WithParamInterface<int> {};

TEST_P(AxisButton, TogglePostsTheAxisAndItsNewState) {
  const int n = GetParam();
  Place(0, QSize(656, 85));
  viewer::CSkinButton* button = panel_.findChild<viewer::CSkinButton*>(QString::number(38600 + n));
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->geometry(), QRect(26 + 120 * n, 45, 12, 12));
  EXPECT_TRUE(button->isVisible());
  EXPECT_TRUE(button->isChecked()) << "every axis starts switched on";
  QTest::mouseClick(button, Qt::LeftButton);
  QTest::mouseClick(button, Qt::LeftButton);
  ASSERT_EQ(sink_.posted.size(), 2U);
  EXPECT_EQ(sink_.posted[0], (platform::Message{0x82BD, static_cast<std::uintptr_t>(n), 0}));
  EXPECT_EQ(sink_.posted[1], (platform::Message{0x82BD, static_cast<std::uintptr_t>(n), 1}));
  panel_.SetLayout(1);
  EXPECT_FALSE(button->isVisible()) << "only layout 0 has the axis buttons";
}

INSTANTIATE_TEST_SUITE_P(Axes, AxisButton, ::testing::Values(0, 1, 2),
                         [](const auto& info) { return std::string("XYZ").substr(info.param, 1); });

TEST_F(InfoPanel, DoubleClickAsksForTheVehiclePanel) {
  Place(0, QSize(656, 85));
  int asked = 0;
  panel_.on_double_click = [&] { ++asked; };
  QTest::mouseDClick(&panel_, Qt::LeftButton, {}, QPoint(400, 60));
  EXPECT_EQ(asked, 1);
}

}  // namespace
}  // namespace mapview
