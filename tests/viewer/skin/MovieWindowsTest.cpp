#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include "platform/RecordingSink.h"
#include "viewer/skin/CLogoDlg.h"
#include "viewer/skin/CMovieDialog.h"
#include "viewer/skin/CMovieMenu.h"
#include "viewer/skin/CMovieStatic.h"
#include "viewer/skin/CSkinButton.h"
#include "viewer/skin/CResourceImage.h"

namespace viewer {
namespace {

TEST(MovieMenu, FixedItemsAndTheirColours) {
  CMovieMenu menu(nullptr);
  QAction* play = menu.addAction("再生");
  QAction* off = menu.addAction("停止");
  off->setEnabled(false);
  menu.adjustSize();
  EXPECT_EQ(menu.actionGeometry(play).height(), 20);
  EXPECT_EQ(menu.actionGeometry(play).width(), 70);
  EXPECT_EQ(CMovieMenu(nullptr, true).item_width(), 220);
  menu.setActiveAction(play);
  QImage picture = menu.grab().toImage();
  EXPECT_EQ(QColor(picture.pixel(5, 10)), QColor(0, 0, 255)) << "the highlighted item on blue";
  menu.setActiveAction(off);
  picture = menu.grab().toImage();
  EXPECT_EQ(QColor(picture.pixel(5, 30)), QColor(0xC3, 0xC3, 0xFF)) << "a highlighted disabled item";
  EXPECT_NE(QColor(picture.pixel(5, 10)), QColor(0, 0, 255));
}

TEST(MovieStatic, BlackWithoutAPictureAndForwardsTheMouse) {
  CMovieStatic view(nullptr, 1);
  view.resize(160, 90);
  EXPECT_EQ(QColor(view.grab().toImage().pixel(80, 45)), QColor(Qt::black));
  view.set_picture_source([](const QSize&) { return QImage(); });
  EXPECT_EQ(QColor(view.grab().toImage().pixel(80, 45)), QColor(Qt::black)) << "nothing presented";
  view.set_picture_source([](const QSize& size) {
    QImage red(size, QImage::Format_RGB32);
    red.fill(Qt::red);
    return red;
  });
  EXPECT_EQ(QColor(view.grab().toImage().pixel(80, 45)), QColor(Qt::red));
  int clicks = 0, doubles = 0, view_seen = -1;
  view.on_click = [&](int v, QPoint) {
    ++clicks;
    view_seen = v;
  };
  view.on_double_click = [&](int, QPoint) { ++doubles; };
  view.show();
  QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(10, 10));
  QTest::mouseDClick(&view, Qt::LeftButton, {}, QPoint(10, 10));
  EXPECT_GE(clicks, 1);
  EXPECT_EQ(doubles, 1);
  EXPECT_EQ(view_seen, 1);
  view.SetZoomMode(true);
  EXPECT_EQ(view.cursor().shape(), Qt::BitmapCursor);
  view.SetZoomMode(false);
  EXPECT_NE(view.cursor().shape(), Qt::BitmapCursor);
}

TEST(MovieDialog, CaptionAndMessagesToTheMainWindow) {
  platform::RecordingSink main_window;
  CMovieDialog dialog(nullptr, &main_window);
  EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("サブカメラ"));
  dialog.ShowsMainCamera(true);
  EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("メインカメラ"));
  dialog.show();
  dialog.resize(300, 200);
  QApplication::processEvents();
  EXPECT_FALSE(main_window.MessagesOf(kMessageReapplyView).empty());
  dialog.close_button()->click();
  EXPECT_EQ(main_window.MessagesOf(kMessageDockView).size(), 1u);
}

TEST(LogoDlg, FillsItselfWithTheLogo) {
  CLogoDlg logo(nullptr);
  logo.resize(452, 368);
  const QImage picture = logo.grab().toImage();
  EXPECT_EQ(picture.pixel(5, 5), CResourceImage::Get(400).pixel(5, 5));
  logo.SetLogo(1);
  EXPECT_EQ(logo.grab().toImage().pixel(5, 5), CResourceImage::Get(401).pixel(5, 5));
}

}  // namespace
}  // namespace viewer
