#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <chrono>
#include <filesystem>

#include "../../player/ScreenReading.h"
#include "WindowUnderTest.h"
#include "library/ui/CFilerContainerDlg.h"
#include "player/PlayerMessages.h"
#include "viewer/commands/Controls.h"
#include "viewer/commands/MainWindowLayout.h"
#include "viewer/settings/FolderIni.h"
#include "viewer/skin/CMovieDialog.h"
#include "viewer/skin/CMovieMenu.h"
#include "viewer/skin/CMovieStatic.h"
#include "viewer/skin/CSkinButton.h"
#include "viewer/skin/CSkinSliderCtrl.h"
#include "viewer/skin/UiQText.h"
#include "viewer/window/FullscreenController.h"
#include "viewer/window/RecordingOpener.h"
#include "viewer/window/SubViewController.h"
#include "viewer/window/VideoInput.h"
#include "viewer/window/ViewModes.h"
#include "viewer/window/ZoomController.h"

namespace viewer {
namespace {

using namespace std::chrono_literals;

// A window playing a generated card (3 s recordings, the rear camera at
// 15 fps, so that the two cameras' strips read different numbers), with a
// fake clock for the double-click block and no wait for a second click.
class ViewModesWindow : public WindowUnderTest {
 protected:
  void SetUp() override {
    WindowUnderTest::SetUp();
    QApplication::processEvents();
    input().set_clock([this] { return now_ms_; });
    input().set_click_delay(0ms);
  }
  void TearDown() override {
    window_.Shutdown();
    WindowUnderTest::TearDown();
  }
  ZoomController& zoom() { return window_.view_modes().zoom(); }
  SubViewController& sub() { return window_.view_modes().sub_view(); }
  FullscreenController& fullscreen() { return window_.view_modes().fullscreen(); }
  VideoInput& input() { return window_.view_modes().input(); }

  // Opens the first recording of a card of that many seconds long ones and
  // plays it (listing the card opens it stopped at its start).
  void Load(double seconds = 3.0) {
    samplecard::CardOptions options;
    options.recordings = 2;
    options.seconds = seconds;
    options.sub_fps = 15.0;
    OpenCard(player::screen::MakeCard(options));
    ASSERT_FALSE(Rows().empty());
    Select(0);
    ASSERT_TRUE(WaitUntil([&] { return window_.loaded(); })) << "the recording never loaded";
    PlayIfStopped();
  }
  void PlayIfStopped() {
    if (window_.views().state() == player::MovieView::ViewState::kStopped) {
      window_.OnCommand(CommandOf(Control::kPlay));
    }
  }
  // Opens the first recording and holds it at front frame frame.
  void LoadAndHold(int frame) {
    ASSERT_NO_FATAL_FAILURE(Load());
    if (window_.views().state() == player::MovieView::ViewState::kPlaying) {
      window_.OnCommand(CommandOf(Control::kPlay));
    }
    ASSERT_EQ(window_.views().state(), player::MovieView::ViewState::kPaused);
    window_.views().ShowFrame(frame);
    ASSERT_TRUE(WaitUntil([&] { return Strip(0) == frame; })) << "front strip " << Strip(0);
  }
  // What the video window of slot shows, as painted.
  QImage Picture(int slot) { return window_.movie_window(slot)->grab().toImage(); }
  int Strip(int slot) { return player::screen::StripOf(Picture(slot)); }
  // What the main video area and the floating window show, whichever
  // camera's window lies there.
  int MainAreaStrip() { return player::screen::StripOf(window_.grab(QRect(6, 24, 656, 369)).toImage()); }
  int FloatingStrip() {
    return player::screen::StripOf(window_.floating_window()->grab(QRect(1, 20, 450, 253)).toImage());
  }
  // How many of the tree, the list and the five filter toggles are shown.
  int ListControlsShown() {
    library::CFilerContainerDlg* filer = window_.filer();
    int shown = filer->tree()->isVisible() + filer->list()->isVisible();
    for (int i = 0; i < 5; ++i) shown += filer->filter_toggle(i)->isVisible();
    return shown;
  }
  // A single click that waits out the double-click time.
  void ClickAndWait(int slot, QPoint at) {
    input().Click(slot, at);
    QTest::qWait(20);
    QApplication::processEvents();
  }

  std::int64_t now_ms_ = 100000;
};

// The picture part (fractions) that keeps the window point at of a window
// of size, seen in a picture zoomed by from with origin, under the cursor
// when zoomed by to.
QPointF OriginKeeping(QPoint at, QSize size, QPointF origin, int from, int to) {
  const double sx = double(at.x()) / size.width(), sy = double(at.y()) / size.height();
  return {origin.x() + sx / from - sx / to, origin.y() + sy / from - sy / to};
}

// Only the upper part of a picture: the date overlay lives at the bottom.
QImage Upper(const QImage& picture) { return picture.copy(0, 0, picture.width(), picture.height() * 2 / 3); }

TEST_F(ViewModesWindow, ThreeZoomClicksZoomTwiceKeepingThePointAndThenShowTheWholePicture) {
  LoadAndHold(30);
  const QImage whole = Picture(0);
  const QSize size = whole.size();
  ASSERT_EQ(size, QSize(656, 369));

  window_.OnCommand(CommandOf(Control::kZoom));
  ASSERT_TRUE(zoom().zoom_mode());
  EXPECT_EQ(ListControlsShown(), 0) << "the tree, the list and the filter toggles stay in zoom mode";
  EXPECT_EQ(window_.bar_button(static_cast<int>(Control::kZoom))->CurrentFrame(), CSkinButton::kPressed);
  EXPECT_TRUE(window_.movie_window(0)->testAttribute(Qt::WA_SetCursor)) << "no zoom cursor";
  EXPECT_TRUE(window_.movie_window(1)->testAttribute(Qt::WA_SetCursor)) << "both views are in zoom mode";

  const QPoint p(200, 120);
  ClickAndWait(0, p);
  ASSERT_EQ(zoom().view(0).factor(), 2);
  const QPointF first = OriginKeeping(p, size, {0, 0}, 1, 2);
  const QImage twice = Picture(0);
  const double kept = player::screen::MeanDifference(
      Upper(twice), Upper(player::screen::Enlarged(whole, QRectF(first, QSizeF(0.5, 0.5)), size)));
  const double centred = player::screen::MeanDifference(
      Upper(twice), Upper(player::screen::Enlarged(whole, QRectF(0.25, 0.25, 0.5, 0.5), size)));
  EXPECT_LT(kept, 8.0) << "the point clicked moved";
  EXPECT_GT(centred, kept + 4.0) << "the comparison cannot tell a centred zoom from the right one";

  const QPoint q(450, 250);
  ClickAndWait(0, q);
  ASSERT_EQ(zoom().view(0).factor(), 3);
  const QPointF second = OriginKeeping(q, size, first, 2, 3);
  EXPECT_LT(player::screen::MeanDifference(
                Upper(Picture(0)), Upper(player::screen::Enlarged(whole, QRectF(second, QSizeF(1.0 / 3, 1.0 / 3)), size))),
            10.0)
      << "the point clicked the second time moved";

  ClickAndWait(0, q);
  EXPECT_EQ(zoom().view(0).factor(), 1);
  EXPECT_LT(player::screen::MeanDifference(Picture(0), whole), 1.0) << "the third click shows the whole picture";
  EXPECT_EQ(zoom().view(1).factor(), 1) << "a click zooms only its own view";

  window_.OnCommand(CommandOf(Control::kZoom));
  EXPECT_FALSE(zoom().zoom_mode());
  EXPECT_EQ(ListControlsShown(), 7) << "the tree, the list and the filter toggles are back";
  EXPECT_NE(window_.bar_button(static_cast<int>(Control::kZoom))->CurrentFrame(), CSkinButton::kPressed);
  EXPECT_FALSE(window_.movie_window(0)->testAttribute(Qt::WA_SetCursor));
}

TEST_F(ViewModesWindow, LeavingZoomModeShowsTheWholePictureAgain) {
  LoadAndHold(30);
  const QImage whole = Picture(0);
  window_.OnCommand(CommandOf(Control::kZoom));
  ClickAndWait(0, QPoint(100, 100));
  ASSERT_EQ(zoom().view(0).factor(), 2);
  ASSERT_GT(player::screen::MeanDifference(Picture(0), whole), 5.0);
  zoom().ZoomOff();
  EXPECT_EQ(zoom().view(0).factor(), 1);
  EXPECT_LT(player::screen::MeanDifference(Picture(0), whole), 1.0);
}

TEST_F(ViewModesWindow, DisplaySwitchFloatsTheSubCameraThenSwapsTheCameras) {
  LoadAndHold(30);
  const int rear = player::screen::RearFrameOfMoment(30, 30.0, 15.0);
  CMovieDialog* floating = window_.floating_window();

  // The first press, from the popup menu.
  input().ShowMenu(window_.mapToGlobal(QPoint(100, 100)));
  ASSERT_NE(input().menu(), nullptr);
  QAction* switch_item = nullptr;
  for (QAction* a : input().menu()->actions()) {
    if (a->text() == UiQText(153)) switch_item = a;
  }
  ASSERT_NE(switch_item, nullptr) << "no display switch in the menu";
  switch_item->trigger();
  ASSERT_TRUE(WaitUntil([&] { return floating->isVisible(); })) << "the sub camera did not float";
  EXPECT_EQ(window_.movie_window(1)->parentWidget(), floating);
  EXPECT_EQ(window_.movie_window(1)->geometry(), QRect(1, 20, 450, 253));
  EXPECT_EQ(floating->windowTitle(), UiQText(152));
  EXPECT_EQ(MainAreaStrip(), 30);
  EXPECT_TRUE(WaitUntil([&] { return FloatingStrip() == rear; })) << "the floating window shows " << FloatingStrip();

  window_.OnCommand(CommandOf(Control::kDisplaySwitch));
  EXPECT_EQ(sub().main_slot(), 1);
  EXPECT_EQ(floating->windowTitle(), UiQText(151));
  EXPECT_EQ(window_.movie_window(1)->parentWidget(), &window_);
  EXPECT_EQ(window_.movie_window(1)->geometry(), QRect(6, 24, 656, 369));
  EXPECT_EQ(window_.movie_window(0)->parentWidget(), floating);
  EXPECT_EQ(window_.movie_window(0)->geometry(), QRect(1, 20, 450, 253));
  EXPECT_TRUE(WaitUntil([&] { return MainAreaStrip() == rear && FloatingStrip() == 30; }))
      << "main area " << MainAreaStrip() << ", floating " << FloatingStrip();

  // Dragged off every screen, the floating window comes back.
  floating->move(-5000, -5000);
  ASSERT_TRUE(WaitUntil([&] { return floating->pos() != QPoint(-5000, -5000); })) << "left off screen";
  bool on_a_screen = false;
  for (QScreen* s : QGuiApplication::screens()) on_a_screen |= s->availableGeometry().contains(floating->frameGeometry());
  EXPECT_TRUE(on_a_screen);

  // A size change keeps the swapped cameras in their places.
  window_.OnCommand(kCommandSize);
  EXPECT_EQ(window_.movie_window(1)->geometry(), QRect(6, 24, 868, 489));
  EXPECT_EQ(window_.movie_window(0)->parentWidget(), floating);

  // Closing the floating window docks the sub camera (now the front) again.
  floating->close_button()->click();
  ASSERT_TRUE(WaitUntil([&] { return !floating->isVisible(); }));
  QApplication::processEvents();
  EXPECT_EQ(window_.movie_window(0)->parentWidget(), &window_);
  const LayoutRect docked = LayoutForSizeMode(1).docked_sub_view;
  EXPECT_EQ(window_.movie_window(0)->geometry(), QRect(docked.left, docked.top, docked.width, docked.height));
  EXPECT_EQ(docked.width, 138);

  // A pulled card: the cameras go back to their own places.
  const std::filesystem::path recording = Rows().front().path;
  std::filesystem::remove_all(recording.parent_path().parent_path().parent_path());
  ASSERT_TRUE(WaitUntil([&] { return Rows().empty(); })) << "the lost card is still listed";
  EXPECT_EQ(sub().main_slot(), 0);
  EXPECT_EQ(window_.movie_window(0)->geometry(), QRect(6, 24, 868, 489));
  EXPECT_EQ(window_.movie_window(1)->geometry(), QRect(docked.left, docked.top, docked.width, docked.height));
}

TEST_F(ViewModesWindow, TheDockedSubViewHasNoWidthInTheSmallestSizeModeAndFloatsUnzoomed) {
  LoadAndHold(30);
  window_.OnCommand(CommandOf(Control::kZoom));
  ClickAndWait(1, QPoint(40, 40));
  ASSERT_EQ(zoom().view(1).factor(), 2);
  window_.ApplySizeMode(2);
  EXPECT_FALSE(window_.movie_window(1)->isVisible());
  EXPECT_EQ(zoom().view(1).factor(), 1) << "a window without width has no zoom to keep";
  window_.OnCommand(CommandOf(Control::kDisplaySwitch));
  EXPECT_TRUE(window_.movie_window(1)->isVisible());
  EXPECT_EQ(zoom().view(1).centre(), (LayoutPoint{225, 126}));
}

TEST_F(ViewModesWindow, AfterADoubleClickSingleClicksAreIgnoredFor500Ms) {
  LoadAndHold(30);
  window_.OnCommand(CommandOf(Control::kZoom));
  // In zoom mode a double click on the main view does nothing itself.
  input().DoubleClick(0, QPoint(100, 100));
  EXPECT_FALSE(fullscreen().fullscreen());
  now_ms_ += 200;
  ClickAndWait(0, QPoint(100, 100));
  EXPECT_EQ(zoom().view(0).factor(), 1) << "a click 200 ms after a double click zoomed";
  now_ms_ += 400;
  ClickAndWait(0, QPoint(100, 100));
  EXPECT_EQ(zoom().view(0).factor(), 2) << "a click 600 ms after a double click was lost";
}

TEST_F(ViewModesWindow, ADoubleClickOnTheDockedSubViewFloatsIt) {
  LoadAndHold(30);
  input().DoubleClick(1, QPoint(10, 10));
  EXPECT_TRUE(window_.floating_window()->isVisible());
  EXPECT_EQ(sub().main_slot(), 0) << "a double click floats, it does not swap";
  input().DoubleClick(1, QPoint(10, 10));
  EXPECT_EQ(sub().main_slot(), 0);
}

TEST_F(ViewModesWindow, ASwapOfARecordingShorterThanTwoSecondsReopensIt) {
  ASSERT_NO_FATAL_FAILURE(Load(1.5));
  window_.OnCommand(CommandOf(Control::kDisplaySwitch));
  ASSERT_TRUE(window_.floating_window()->isVisible());
  const auto before = window_.opener().sequence().generation();
  const auto opened = window_.opener().opened();
  window_.OnCommand(CommandOf(Control::kDisplaySwitch));
  EXPECT_EQ(sub().main_slot(), 1);
  ASSERT_TRUE(WaitUntil([&] { return window_.opener().sequence().generation() > before && window_.loaded(); }))
      << "not reopened";
  EXPECT_EQ(window_.opener().opened(), opened) << "another recording was opened";
  EXPECT_TRUE(WaitUntil([&] { return MainAreaStrip() >= 0; })) << "the main area shows no rear picture";
}

TEST_F(ViewModesWindow, PlaybackWaitsForTheRearCameraWhenItHasOne) {
  // Seen from outside the window: at every player message, whether the
  // rear was ready when playback had started.
  bool played_before_rear = false;
  window_.on_message = [this, &played_before_rear, next = std::move(window_.on_message)](const platform::Message& m) {
    if (next) next(m);
    if (window_.views().opened(1) && window_.views().state() == player::MovieView::ViewState::kPlaying &&
        !window_.views().view(1).media_ready()) {
      played_before_rear = true;
    }
  };
  ASSERT_NO_FATAL_FAILURE(Load());
  EXPECT_FALSE(played_before_rear);
  EXPECT_TRUE(window_.views().opened(1));
}

TEST_F(ViewModesWindow, ARecordingWithoutItsRearPlaysOnTheFrontAlone) {
  samplecard::CardOptions options;
  options.recordings = 2;
  options.seconds = 2.0;
  const auto card = player::screen::MakeCard(options);
  std::filesystem::remove(card[0].sub_path);
  OpenCard(card);
  int row = -1;
  for (std::size_t i = 0; i < Rows().size(); ++i) {
    if (std::filesystem::path(Rows()[i].path) == card[0].main_path) row = static_cast<int>(i);
  }
  ASSERT_GE(row, 0);
  Select(row);
  ASSERT_TRUE(WaitUntil([&] { return window_.loaded(); })) << "the front's ready alone did not open the recording";
  PlayIfStopped();
  ASSERT_TRUE(WaitUntil([&] { return window_.views().state() == player::MovieView::ViewState::kPlaying; }))
      << "the recording does not play on the front alone";
  EXPECT_FALSE(window_.views().opened(1));
  int first = -1;
  ASSERT_TRUE(WaitUntil([&] { return (first = MainAreaStrip()) >= 0; }));
  EXPECT_TRUE(WaitUntil([&] { return MainAreaStrip() > first + 3; })) << "the front does not play";
}

TEST_F(ViewModesWindow, FiltersThatLeaveNoEntryCloseTheRecording) {
  LoadAndHold(30);
  window_.OnCommand(CommandOf(Control::kZoom));
  ClickAndWait(0, QPoint(100, 100));
  for (int id = kCommandFirstFilter; id < kCommandFirstFilter + 5; ++id) window_.OnCommand(id);
  ASSERT_TRUE(Rows().empty());
  EXPECT_FALSE(window_.views().opened(0));
  EXPECT_FALSE(window_.views().opened(1));
  EXPECT_FALSE(window_.loaded());
  EXPECT_EQ(zoom().view(0).factor(), 1);
  // Nothing opens later from a selection made while the filters changed.
  QTest::qWait(700);
  EXPECT_FALSE(window_.views().opened(0));
  EXPECT_LT(player::screen::StripOf(Picture(0)), 0) << "the video still shows a frame";
  EXPECT_FALSE(window_.bar_button(static_cast<int>(Control::kPlay))->isEnabled());
}

QScreen* SecondScreen() {
  const auto screens = QGuiApplication::screens();
  return screens.size() >= 2 ? screens[1] : nullptr;
}

TEST_F(ViewModesWindow, FullscreenCoversTheScreenOfTheTopLeftCornerAndLeavingWritesKeepAspect) {
  QScreen* second = SecondScreen();
  ASSERT_NE(second, nullptr) << "the off-screen desktop has one screen";
  LoadAndHold(30);
  const QPoint home = second->geometry().topLeft() + QPoint(40, 30);
  window_.move(home);
  QApplication::processEvents();

  input().DoubleClick(0, QPoint(100, 100));
  ASSERT_TRUE(fullscreen().fullscreen());
  EXPECT_EQ(window_.geometry(), second->geometry());
  EXPECT_EQ(window_.movie_window(0)->geometry(), QRect(QPoint(0, 0), second->geometry().size()));
  EXPECT_FALSE(window_.bar_button(0)->isVisible());
  EXPECT_FALSE(window_.close_button()->isVisible());
  EXPECT_FALSE(window_.position_slider()->isVisible());
  EXPECT_FALSE(window_.filer()->isVisible());
  EXPECT_FALSE(window_.movie_window(1)->isVisible()) << "the docked sub view over the video";
  // Keeping the aspect ratio, the 16:9 picture sits between bars.
  const QSize screen = second->geometry().size();
  const QSize fitted = QSize(16, 9).scaled(screen, Qt::KeepAspectRatio);
  const QRect picture(QPoint(0, (screen.height() - fitted.height()) / 2), fitted);
  EXPECT_EQ(player::screen::StripOf(Picture(0).copy(picture)), 30) << "the fullscreen picture";

  // Stretch from the fullscreen menu, then leave.
  input().ShowMenu(window_.mapToGlobal(QPoint(100, 100)));
  ASSERT_NE(input().menu(), nullptr);
  EXPECT_EQ(input().menu()->actions().back()->text(), UiQText(92));
  window_.OnCommand(kCommandKeepAspect);
  EXPECT_FALSE(window_.keep_aspect());
  EXPECT_EQ(ReadFolderIni("DISPLAY", "ASPECT"), "off");

  input().DoubleClick(0, QPoint(100, 100));
  EXPECT_FALSE(fullscreen().fullscreen());
  EXPECT_EQ(window_.geometry(), QRect(home, QSize(kWindowWidth, kWindowHeight)));
  EXPECT_TRUE(window_.keep_aspect());
  EXPECT_EQ(ReadFolderIni("DISPLAY", "ASPECT"), "on");
  EXPECT_EQ(window_.movie_window(0)->geometry(), QRect(6, 24, 656, 369));
  EXPECT_TRUE(window_.bar_button(0)->isVisible());
  EXPECT_TRUE(window_.close_button()->isVisible());
  EXPECT_TRUE(window_.filer()->isVisible());
  EXPECT_TRUE(window_.movie_window(1)->isVisible());
}

TEST_F(ViewModesWindow, ARecordingComingOnScreenClosesThePopupMenu) {
  LoadAndHold(30);
  input().ShowMenu(window_.mapToGlobal(QPoint(100, 100)));
  ASSERT_NE(input().menu(), nullptr);
  ASSERT_TRUE(WaitUntil([&] { return input().menu()->isVisible(); }));
  window_.OnMessage({player::WM_PLAYER_READY, 0, 0});
  EXPECT_TRUE(WaitUntil([&] { return input().menu() == nullptr || !input().menu()->isVisible(); }))
      << "the menu built for the last recording stays open";
}

struct EndRow {
  const char* name;
  int before_end;  // frames before the last
  bool enters;
};

class FullscreenNearTheEnd : public ViewModesWindow, public ::testing::WithParamInterface<EndRow> {};

TEST_P(FullscreenNearTheEnd, IsRefusedWithinTenFramesOfTheEnd) {
  const EndRow& row = GetParam();
  LoadAndHold(0);
  const int count = window_.views().FrameCount();
  window_.views().ShowFrame(count - 1 - row.before_end);
  ASSERT_TRUE(WaitUntil([&] { return Strip(0) == count - 1 - row.before_end; }));
  input().DoubleClick(0, QPoint(100, 100));
  EXPECT_EQ(fullscreen().fullscreen(), row.enters);
  EXPECT_EQ(window_.geometry().size() == QSize(kWindowWidth, kWindowHeight), !row.enters);
}

INSTANTIATE_TEST_SUITE_P(Rows, FullscreenNearTheEnd,
                         ::testing::Values(EndRow{"LastFrame", 0, false}, EndRow{"NineBefore", 9, false},
                                           EndRow{"TenBefore", 10, true}, EndRow{"TwentyBefore", 20, true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace viewer
