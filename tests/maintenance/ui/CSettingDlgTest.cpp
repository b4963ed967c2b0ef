#include "maintenance/ui/CSettingDlg.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QScreen>
#include <QPainter>
#include <QTest>

#include "viewer/skin/CResourceImage.h"
#include "viewer/skin/CSkinCheckButton.h"
#include "viewer/skin/UiQText.h"

namespace maintenance {
namespace {

class KeptMessages : public platform::MessageSink {
 public:
  void Post(std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam) override {
    posted.push_back({message, wparam, lparam});
  }
  std::vector<platform::Message> posted;
};

constexpr std::array<CSettingDlg::Box, 4> kAllOn = {{{116, true}, {125, true}, {126, true}, {130, true}}};

// The inside of the check image's frame (its rim blends with what lies
// beneath) as the box must show it.
QImage CheckFrame(viewer::CSkinButton::Frame frame) {
  QImage shown(12, 12, QImage::Format_RGB32);
  shown.fill(Qt::white);
  QPainter p(&shown);
  p.drawImage(0, 0, viewer::CResourceImage::Get(217), frame * 12, 0, 12, 12);
  p.end();
  return shown.copy(2, 2, 8, 8);
}

class SettingsWindow : public ::testing::Test {
 protected:
  QImage Grab() { return dialog_.grab().toImage().convertToFormat(QImage::Format_RGB32); }
  // The inside of check box i's 12 x 12 box as drawn on the dialog.
  QImage BoxPixels(int i) {
    const QRect box = dialog_.box(i)->geometry();
    return Grab().copy(box.left() + 2, box.top() + 4 + 2, 8, 8);
  }
  KeptMessages owner_;
  CSettingDlg dialog_{nullptr, &owner_, {{{116, true}, {125, false}, {126, true}, {130, true}}}};
};

TEST_F(SettingsWindow, SizeTitleBoxesAndSectionsWhereTheyBelong) {
  EXPECT_EQ(dialog_.size(), QSize(460, 400));
  EXPECT_EQ(dialog_.windowTitle(), viewer::UiQText(124));
  const int captions[] = {116, 125, 126, 130};
  for (int i = 0; i < 4; ++i) {
    viewer::CSkinCheckButton* box = dialog_.findChild<viewer::CSkinCheckButton*>(QString::number(32968 + i));
    ASSERT_EQ(box, dialog_.box(i));
    EXPECT_EQ(box->text(), viewer::UiQText(captions[i]));
    EXPECT_TRUE(QRect(10, 30, 438, 160).contains(box->geometry())) << "inside the display group, box " << i;
    if (i > 0) {
      EXPECT_GT(box->geometry().top(), dialog_.box(i - 1)->geometry().bottom()) << "no overlap";
    }
  }
  QLabel* version = dialog_.findChild<QLabel*>("32981");
  ASSERT_EQ(version, dialog_.version_text());
  EXPECT_EQ(version->geometry(), QRect(20, 210, 418, 60));
  EXPECT_TRUE(dialog_.format_button()->geometry().top() >= 300) << "the format section lies below the version";
  EXPECT_EQ(dialog_.format_button()->objectName(), "32978");

  dialog_.show();
  const QImage image = Grab();
  const QRgb frame = qRgb(160, 160, 160);
  const int half = dialog_.fontMetrics().height() / 2;
  EXPECT_EQ(image.pixel(10, 100), frame) << "the display group's left edge";
  EXPECT_EQ(image.pixel(447, 100), frame) << "its right edge";
  EXPECT_EQ(image.pixel(300, 30 + half), frame) << "its top line, right of the title";
  EXPECT_EQ(image.pixel(10, 250), frame) << "the version group's left edge";
  EXPECT_EQ(image.pixel(300, 389), frame) << "the format group's bottom";
  EXPECT_EQ(image.pixel(200, 150), qRgb(255, 255, 255)) << "white inside";
  int dark = 0;
  for (int y = 210; y < 270; ++y) {
    for (int x = 20; x < 200; ++x) dark += qGray(image.pixel(x, y)) < 100;
  }
  EXPECT_GT(dark, 50) << "the version text is drawn";
}

TEST_F(SettingsWindow, BoxesShowTheirStatesFromTheSkinImage) {
  dialog_.show();
  EXPECT_EQ(BoxPixels(0), CheckFrame(viewer::CSkinButton::kPressed)) << "checked";
  EXPECT_EQ(BoxPixels(1), CheckFrame(viewer::CSkinButton::kNormal)) << "cleared";
  EXPECT_NE(CheckFrame(viewer::CSkinButton::kPressed), CheckFrame(viewer::CSkinButton::kNormal));
}

TEST_F(SettingsWindow, IsCentredOnTheParentsScreen) {
  QWidget parent;
  parent.setGeometry(100, 100, 300, 200);
  CSettingDlg dialog(&parent, &owner_, kAllOn);
  const QRect screen = parent.screen()->geometry();
  EXPECT_EQ(dialog.geometry().center(), screen.center());
}

TEST_F(SettingsWindow, EachBoxPostsItsIndexAndNewState) {
  dialog_.show();
  const bool before[] = {true, false, true, true};
  for (int i = 0; i < 4; ++i) {
    owner_.posted.clear();
    QTest::mouseClick(dialog_.box(i), Qt::LeftButton, {}, QPoint(6, 10));
    ASSERT_EQ(owner_.posted.size(), 1u) << i;
    EXPECT_EQ(owner_.posted[0].message, 0x81F5u);
    EXPECT_EQ(owner_.posted[0].wparam, static_cast<std::uintptr_t>(i));
    EXPECT_EQ(owner_.posted[0].lparam, before[i] ? 0 : 1);
    EXPECT_EQ(dialog_.box(i)->isChecked(), !before[i]);
    EXPECT_EQ(BoxPixels(i), CheckFrame(dialog_.box(i)->CurrentFrame())) << "redrawn at once, box " << i;
    QTest::mouseClick(dialog_.box(i), Qt::LeftButton, {}, QPoint(6, 10));
    ASSERT_EQ(owner_.posted.size(), 2u) << i;
    EXPECT_EQ(owner_.posted[1].lparam, before[i] ? 1 : 0) << "and back";
  }
}

TEST_F(SettingsWindow, FormatWithoutAChosenCardDoesNothing) {
  int asked = 0;
  dialog_.on_format = [&](const CardDevice&) { ++asked; };
  dialog_.Format();
  EXPECT_EQ(asked, 0);
  EXPECT_FALSE(dialog_.format_button()->isEnabled());
  CardDevice card;
  card.name = "mmcblk1";
  card.size = 15523840ULL * 512;
  card.model = "SD08G";
  card.label = "CARD";
  dialog_.SetCards({card});
  EXPECT_EQ(dialog_.drives()->currentText(), "/dev/mmcblk1  7.9 GB  SD08G  [CARD]");
  QTest::mouseClick(dialog_.format_button(), Qt::LeftButton);
  EXPECT_EQ(asked, 1);
}

}  // namespace
}  // namespace maintenance
