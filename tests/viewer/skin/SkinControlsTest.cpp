#include <gtest/gtest.h>

#include <QApplication>
#include <QEnterEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QTest>
#include <vector>

#include "platform/RecordingSink.h"
#include "viewer/skin/CMsgBox.h"
#include "viewer/skin/CMsgDlg.h"
#include "viewer/skin/CResourceImage.h"
#include "viewer/skin/CSkinButton.h"
#include "viewer/skin/CSkinCheckButton.h"
#include "viewer/skin/CSkinProgressBarCtrl.h"
#include "viewer/skin/CSkinSliderCtrl.h"
#include "viewer/skin/ColorRef.h"
#include "viewer/skin/UiFonts.h"

namespace viewer {
namespace {

QRgb Centre(QWidget& w) { return w.grab().toImage().pixel(w.width() / 2, w.height() / 2); }
QRgb StripCentre(int image, int frame, int w, int h) { return CResourceImage::Get(image).pixel(frame * w + w / 2, h / 2); }

void Hover(QWidget& w, bool in) {
  if (in) {
    QEnterEvent enter(QPointF(w.width() / 2.0, w.height() / 2.0), QPointF(), QPointF());
    QApplication::sendEvent(&w, &enter);
  } else {
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&w, &leave);
  }
}

TEST(Colors, ColorRefIsBlueGreenRed) {
  EXPECT_EQ(ColorFromRef(0xFF0000), QColor(0, 0, 255));
  EXPECT_EQ(ColorFromRef(0xFFC3C3), QColor(0xC3, 0xC3, 0xFF));
  EXPECT_EQ(ColorFromRef(0x7F7F7F), QColor(0x7F, 0x7F, 0x7F));
}

TEST(SkinImages, EveryImageIsThereAtItsSize) {
  const struct {
    int number, w, h;
  } sizes[] = {{147, 128, 32}, {148, 128, 32}, {154, 128, 32}, {144, 128, 32}, {142, 128, 32}, {139, 128, 32},
               {145, 128, 32}, {153, 128, 32}, {150, 128, 32}, {200, 128, 32}, {146, 128, 32}, {138, 128, 32},
               {151, 128, 32}, {137, 128, 32}, {356, 128, 32}, {155, 184, 18}, {156, 104, 18}, {157, 104, 18},
               {352, 52, 12},  {217, 48, 12},  {327, 48, 12},  {160, 10, 10},  {161, 10, 10},  {169, 8, 12},
               {170, 8, 12},   {128, 32, 32},  {191, 32, 32},  {319, 39, 26},  {316, 39, 26},  {315, 39, 26},
               {318, 39, 26},  {317, 39, 26},  {346, 39, 26},  {347, 39, 26},  {3, 18, 18},    {19, 18, 18},
               {400, 452, 368}, {401, 452, 368}};
  for (const auto& s : sizes) {
    const QImage& image = CResourceImage::Get(s.number);
    ASSERT_FALSE(image.isNull()) << s.number;
    EXPECT_EQ(image.size(), QSize(s.w, s.h)) << s.number;
  }
  EXPECT_TRUE(CResourceImage::Get(9999).isNull()) << "a missing image is null, not a crash";
  // Button strips keep pure black only as their transparent key: no frame
  // is drawn in it, so every frame's centre is visible.
  for (int number : {148, 154, 155, 352}) {
    const QImage& strip = CResourceImage::Get(number);
    const int w = strip.width() / 4;
    for (int f = 0; f < 4; ++f) EXPECT_NE(strip.pixel(f * w + w / 2, strip.height() / 2) & 0xFFFFFF, 0u) << number;
  }
}

TEST(SkinButtons, FramesFollowTheState) {
  QWidget parent;
  CSkinButton button(&parent, QSize(32, 32), 148, "play");
  button.show();
  EXPECT_EQ(button.CurrentFrame(), CSkinButton::kNormal);
  EXPECT_EQ(Centre(button), StripCentre(148, 0, 32, 32));
  Hover(button, true);
  EXPECT_EQ(button.CurrentFrame(), CSkinButton::kHover);
  EXPECT_EQ(Centre(button), StripCentre(148, 1, 32, 32));
  button.setDown(true);
  EXPECT_EQ(button.CurrentFrame(), CSkinButton::kPressed);
  button.setDown(false);
  button.setEnabled(false);
  EXPECT_EQ(button.CurrentFrame(), CSkinButton::kDisabled) << "disabled while hovered shows frame 3";
  EXPECT_EQ(Centre(button), StripCentre(148, 3, 32, 32));
  button.setEnabled(true);
  Hover(button, false);
  EXPECT_EQ(button.CurrentFrame(), CSkinButton::kNormal);
  button.SetImage(147);
  EXPECT_EQ(button.grab().toImage().pixel(12, 16), CResourceImage::Get(147).pixel(12, 16));
  EXPECT_EQ(button.toolTip(), "play");
  CSkinButton missing(&parent, QSize(32, 32), 9999);
  EXPECT_NO_FATAL_FAILURE(missing.grab());
}

TEST(SkinButtons, CheckButtonHoversOnlyOverItsBox) {
  QWidget parent;
  CSkinCheckButton check(&parent, "前後(X軸)");
  check.show();
  QEnterEvent over_text(QPointF(40, 10), QPointF(), QPointF());
  QApplication::sendEvent(&check, &over_text);
  EXPECT_EQ(check.CurrentFrame(), CSkinButton::kNormal);
  QMouseEvent move(QEvent::MouseMove, QPointF(6, 10), QPointF(6, 10), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(&check, &move);
  EXPECT_EQ(check.CurrentFrame(), CSkinButton::kHover);
  QTest::mouseClick(&check, Qt::LeftButton, {}, QPoint(30, 10));
  EXPECT_TRUE(check.isChecked());
  EXPECT_EQ(check.CurrentFrame(), CSkinButton::kPressed);
}

TEST(SkinProgressBar, EmptyRangeIsAllWhiteAtZeroPercent) {
  QWidget parent;
  CSkinProgressBarCtrl bar(&parent);
  bar.resize(300, 22);
  bar.SetRange(0, 0);
  bar.SetPos(50);
  EXPECT_EQ(bar.DoneWidth(), 0);
  EXPECT_EQ(bar.Percent(), 0);
  const QImage empty = bar.grab().toImage();
  EXPECT_EQ(QColor(empty.pixel(10, 11)), QColor(Qt::white));
  EXPECT_EQ(QColor(empty.pixel(290, 11)), QColor(Qt::white));
  bar.SetRange(0, 100);
  bar.SetPos(50);
  EXPECT_EQ(bar.DoneWidth(), 150);
  const QImage half = bar.grab().toImage();
  EXPECT_EQ(QColor(half.pixel(10, 11)), QColor(0, 0, 255));
  EXPECT_EQ(QColor(half.pixel(290, 11)), QColor(Qt::white));
  int white_on_blue = 0, blue_on_white = 0;
  for (int x = 100; x < 200; ++x) {
    for (int y = 0; y < 22; ++y) {
      const QColor c(half.pixel(x, y));
      if (x < 150 && c.red() > 200 && c.green() > 200) ++white_on_blue;
      if (x >= 150 && c.blue() > 200 && c.red() < 80) ++blue_on_white;
    }
  }
  EXPECT_GT(white_on_blue, 5) << "the text is white over the done part";
  EXPECT_GT(blue_on_white, 5) << "and blue over the rest";
}

// The box around the pixels that are not white.
QRect InkBox(const QImage& image) {
  QRect box;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (QColor(image.pixel(x, y)) != QColor(Qt::white)) box |= QRect(x, y, 1, 1);
    }
  }
  return box;
}

TEST(SkinProgressBar, DrawsItsTextInTheUiFontOutsideSkinnedWindows) {
  QWidget plain;  // a window that sets no font of its own
  CSkinProgressBarCtrl bar(&plain);
  bar.resize(300, 22);
  bar.SetRange(0, 100);
  bar.SetPos(0);
  QImage expected(bar.size(), QImage::Format_RGB32);
  expected.fill(Qt::white);
  {
    QPainter p(&expected);
    p.setFont(UiFonts::Shared().font(UiFontSize::k10));
    p.setPen(QColor(0, 0, 255));
    p.drawText(QRect(100, 0, 100, 22), Qt::AlignCenter, "0 %");
  }
  const QRect ink = InkBox(bar.grab().toImage());
  ASSERT_FALSE(ink.isEmpty());
  EXPECT_EQ(ink, InkBox(expected)) << "the text has the UI font's extent";
}

TEST(SkinSlider, ValuesAndPixelsMapForLargeRangesAndNonZeroMinimums) {
  QWidget parent;
  CSkinSliderCtrl slider(&parent, kPositionSliderId, {174, 159, 160, 161}, nullptr);
  slider.resize(300, 10);
  slider.SetRange(0, 1799);  // an 1800-frame recording on 300 pixels
  EXPECT_EQ(slider.ValueAt(0), 0);
  EXPECT_EQ(slider.ValueAt(150), 900);
  EXPECT_EQ(slider.ValueAt(299), 1794);
  EXPECT_EQ(slider.ValueAt(1000), 1799);
  slider.SetValue(1799);
  EXPECT_EQ(slider.ThumbLeft(), 289);
  slider.SetRange(100, 199);
  EXPECT_EQ(slider.ValueAt(0), 100);
  EXPECT_EQ(slider.ValueAt(150), 150);
  slider.SetValue(150);
  EXPECT_EQ(slider.ThumbLeft(), 145);
  slider.SetRange(7, 7);
  EXPECT_EQ(slider.ValueAt(250), 7) << "min = max accepts only that value";
  EXPECT_EQ(slider.ThumbLeft(), 0) << "and keeps the thumb at the left edge";
  slider.resize(0, 10);
  EXPECT_EQ(slider.ValueAt(5), 7) << "no division by a zero width";
  EXPECT_NO_FATAL_FAILURE(slider.grab());
}

TEST(SkinSlider, DraggingNotifiesAndSetValueDoesNot) {
  QWidget parent;
  platform::RecordingSink sink;
  CSkinSliderCtrl slider(&parent, kVolumeSliderId, {167, 168, 169, 170}, &sink);
  slider.resize(200, 12);
  slider.SetRange(0, 65535);
  slider.show();
  slider.SetValue(1000);
  EXPECT_TRUE(sink.Messages().empty());
  QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(50, 6));
  QTest::mouseMove(&slider, QPoint(100, 6));
  QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(100, 6));
  const auto messages = sink.Messages();
  ASSERT_GE(messages.size(), 3u);
  EXPECT_EQ(messages.front().message, kSliderDragStart);
  EXPECT_EQ(messages.front().wparam, static_cast<std::uintptr_t>(kVolumeSliderId));
  EXPECT_EQ(messages.front().lparam, slider.ValueAt(50));
  EXPECT_EQ(sink.MessagesOf(kSliderMoved).back().lparam, slider.ValueAt(100));
  EXPECT_EQ(messages.back().message, kSliderDragEnd);
}

TEST(MessageBoxes, GeometryFollowsTheText) {
  const QFontMetrics metrics(UiFonts::Shared().font(UiFontSize::k10));
  CMsgDlg two(nullptr, "動画の連結に失敗しました。\r\n2行目", "ERROR", CMsgDlg::kOk);
  EXPECT_EQ(two.height(), 2 * metrics.height() + 140) << "two text lines plus 140 pixels";
  EXPECT_EQ(two.message()->text(), "動画の連結に失敗しました。\n2行目") << "a trailing \\r is dropped";
  EXPECT_EQ(two.message()->pos(), QPoint(40, 30));
  EXPECT_EQ(two.ok()->geometry(), QRect(two.width() - 115, two.height() - 45, 100, 30));
  EXPECT_EQ(two.cancel(), nullptr);
  CMsgDlg ask(nullptr, "?", "確認", CMsgDlg::kOkCancel);
  EXPECT_GE(ask.ok()->x(), 0) << "a short text still keeps both buttons inside";
  EXPECT_EQ(ask.cancel()->geometry(), QRect(ask.width() - 115, ask.height() - 45, 100, 30));
  EXPECT_EQ(ask.ok()->x(), ask.width() - 230);
  EXPECT_EQ(ask.windowTitle(), "確認");
}

TEST(MessageBoxes, EnterAndEscapeDoNothing) {
  CMsgDlg box(nullptr, "完了しました。", "終了", CMsgDlg::kOk);
  box.show();
  QTest::keyClick(&box, Qt::Key_Return);
  QTest::keyClick(&box, Qt::Key_Escape);
  EXPECT_TRUE(box.isVisible());
  EXPECT_EQ(box.result(), 0);
  const QImage picture = box.grab().toImage();
  EXPECT_EQ(QColor(picture.pixel(box.width() - 40, 2)), QColor(128, 128, 128)) << "the grey title band";
  EXPECT_EQ(QColor(picture.pixel(10, box.height() - 5)), QColor(Qt::white));
  box.close_button()->click();
  EXPECT_FALSE(box.isVisible());
}

void PressAtFocus(Qt::Key key) {
  QWidget* focus = QApplication::focusWidget();
  ASSERT_NE(focus, nullptr);
  QTest::keyClick(focus, key);
}

TEST(MessageBoxes, KeysAtTheFocusedControlNeverEndTheBoxButSpaceOnAButtonDoes) {
  CMsgDlg box(nullptr, "続行しますか？", "確認", CMsgDlg::kOkCancel);
  box.show();
  box.activateWindow();  // no window manager needed
  ASSERT_TRUE(QTest::qWaitForWindowActive(&box));
  EXPECT_EQ(QApplication::focusWidget(), box.message()) << "the content has the first focus";
  PressAtFocus(Qt::Key_Space);
  EXPECT_TRUE(box.isVisible()) << "Space on the content is no Cancel";
  // The tab order runs over the message and the two buttons, never the close button.
  std::vector<QWidget*> order;
  for (int i = 0; i < 3; ++i) {
    PressAtFocus(Qt::Key_Tab);
    order.push_back(QApplication::focusWidget());
  }
  EXPECT_EQ(order, (std::vector<QWidget*>{box.ok(), box.cancel(), box.message()}));
  PressAtFocus(Qt::Key_Tab);
  ASSERT_EQ(QApplication::focusWidget(), box.ok());
  for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
    PressAtFocus(key);
    EXPECT_TRUE(box.isVisible()) << key;
    EXPECT_EQ(box.result(), 0) << key;
  }
  PressAtFocus(Qt::Key_Space);
  EXPECT_FALSE(box.isVisible()) << "Space on the focused OK acts";
  EXPECT_EQ(box.result(), QDialog::Accepted);
}

TEST(MessageBoxes, ShowRunsThroughTheRunner) {
  QString seen;
  CMsgBox::SetRunner([&](CMsgDlg& d) {
    seen = d.windowTitle();
    return static_cast<int>(QDialog::Accepted);
  });
  EXPECT_EQ(CMsgBox::Show(nullptr, "x", "ERROR"), 1);
  EXPECT_EQ(seen, "ERROR");
  CMsgBox::SetRunner([](CMsgDlg&) { return static_cast<int>(QDialog::Rejected); });
  EXPECT_EQ(CMsgBox::Show(nullptr, "x", "確認", CMsgDlg::kOkCancel), 2);
}

}  // namespace
}  // namespace viewer
