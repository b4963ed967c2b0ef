#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QTest>

#include "TestFiles.h"
#include "library/ui/CFilerContainerDlg.h"
#include "mapview/ui/CGSensorDlg.h"
#include "viewer/commands/MainWindowLayout.h"
#include "viewer/settings/FolderIni.h"
#include "viewer/skin/CMovieStatic.h"
#include "viewer/skin/CSkinButton.h"
#include "viewer/skin/CSkinProgressBarCtrl.h"
#include "viewer/skin/CSkinSliderCtrl.h"
#include "viewer/skin/CLogoDlg.h"
#include "viewer/window/CQuorbexDlg.h"
#include "WindowUnderTest.h"

namespace viewer {
namespace {

namespace fs = std::filesystem;

QRect Q(const LayoutRect& r) { return QRect(r.left, r.top, r.width, r.height); }

fs::path CardRoot() { return CardRootOf(testfiles::SharedCard().front().main_path); }

class MainWindow : public WindowUnderTest {
 protected:
  CSkinButton* Bar(Control c) const { return window_.bar_button(static_cast<int>(c)); }
};

class SizeModes : public MainWindow, public ::testing::WithParamInterface<int> {};

TEST_P(SizeModes, EveryChildSitsWhereTheLayoutPutsIt) {
  const int mode = GetParam();
  while (window_.size_mode() != mode) window_.OnCommand(kCommandSize);
  const MainWindowLayout l = LayoutForSizeMode(mode);
  EXPECT_EQ(window_.size(), QSize(kWindowWidth, kWindowHeight));
  EXPECT_EQ(window_.movie_window(0)->geometry(), Q(l.video));
  EXPECT_EQ(window_.position_slider()->geometry(), Q(l.position_slider));
  EXPECT_EQ(window_.info_panel()->geometry(), Q(l.info_panel));
  EXPECT_EQ(window_.progress_bar()->geometry(), Q(l.progress_bar));
  EXPECT_TRUE(window_.progress_bar()->isHidden());
  EXPECT_EQ(window_.close_button()->geometry(), Q(l.close));
  EXPECT_EQ(window_.size_button()->geometry(), Q(l.size));
  EXPECT_EQ(window_.minimise_button()->geometry(), Q(l.minimise));
  EXPECT_EQ(window_.volume_slider()->geometry(), Q(l.volume_slider));
  // The docked sub view: at the panel's right edge, hidden where it has no width.
  EXPECT_EQ(window_.movie_window(1)->isVisible(), l.docked_sub_view.width > 0);
  if (l.docked_sub_view.width > 0) {
    EXPECT_EQ(window_.movie_window(1)->geometry(), Q(l.docked_sub_view));
  }
  ASSERT_EQ(window_.graph()->isVisible(), l.graph.has_value());
  if (l.graph) {
    EXPECT_EQ(window_.graph()->geometry(), Q(*l.graph));
  }
  ASSERT_EQ(window_.logo()->isVisible(), l.map.has_value());
  if (l.map) {
    EXPECT_EQ(window_.logo()->geometry(), Q(*l.map));
  }
  ASSERT_EQ(window_.filer()->isVisible(), l.list.has_value());
  if (l.list) {
    EXPECT_EQ(window_.filer()->geometry(), Q(*l.list));
  }
  for (int i = 0; i < static_cast<int>(kBarButtons); ++i) {
    SCOPED_TRACE(i);
    const auto& r = l.buttons[static_cast<std::size_t>(i)];
    ASSERT_EQ(window_.bar_button(i)->isVisible(), r.has_value());
    if (r) {
      EXPECT_EQ(window_.bar_button(i)->geometry(), Q(*r));
    }
  }
  // Nothing visible leaves the window or covers another control.
  const QRect client(0, 0, kWindowWidth, kWindowHeight);
  for (QWidget* child : window_.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (child->isVisible() && child->isWidgetType() && !child->isWindow()) {
      EXPECT_TRUE(client.contains(child->geometry())) << child->objectName().toStdString();
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Modes, SizeModes, ::testing::Values(0, 1, 2),
                         [](const auto& info) { return "Mode" + std::to_string(info.param); });

TEST_F(MainWindow, SizeButtonCyclesThroughTheModesNamingTheNextSize) {
  const char* tips[] = {"中", "大", "小", "中"};
  const int after[] = {1, 2, 0, 1};
  for (int press = 0; press < 4; ++press) {
    SCOPED_TRACE(press);
    EXPECT_EQ(window_.size_button()->toolTip().toStdString(), tips[press]);
    QTest::mouseClick(window_.size_button(), Qt::LeftButton);
    EXPECT_EQ(window_.size_mode(), after[press]);
    EXPECT_EQ(window_.movie_window(0)->width(), LayoutForSizeMode(after[press]).video.width);
  }
}

TEST_F(MainWindow, BarButtonsHaveTheirTipsAndThePlayButtonSwitches) {
  EXPECT_EQ(Bar(Control::kFirst)->toolTip().toStdString(), "先頭");
  EXPECT_EQ(Bar(Control::kDisplaySwitch)->toolTip().toStdString(), "表示切替");
  EXPECT_EQ(Bar(Control::kPlay)->toolTip().toStdString(), "再生");
  EXPECT_EQ(Bar(Control::kPlay)->image_number(), 148);
  window_.SetPlayButton(true);
  EXPECT_EQ(Bar(Control::kPlay)->toolTip().toStdString(), "一時停止");
  EXPECT_EQ(Bar(Control::kPlay)->image_number(), 147);
  EXPECT_EQ(window_.close_button()->toolTip().toStdString(), "閉じる");
  EXPECT_EQ(window_.minimise_button()->toolTip().toStdString(), "最小化");
}

std::vector<Control> EnabledBar(const CQuorbexDlg& w) {
  std::vector<Control> on;
  for (int i = 0; i < static_cast<int>(kBarButtons); ++i) {
    if (w.bar_button(i)->isEnabled()) on.push_back(static_cast<Control>(i));
  }
  return on;
}

TEST_F(MainWindow, EnabledStateFollowsTheListAndTheState) {
  // No list: only the source button.
  EXPECT_EQ(EnabledBar(window_), std::vector<Control>{Control::kSource});
  EXPECT_TRUE(window_.close_button()->isEnabled());
  EXPECT_TRUE(window_.volume_slider()->isEnabled());

  window_.filer()->OpenSource(CardRoot(), library::SourceKind::kCard);
  ASSERT_GT(window_.filer()->list()->rows().size(), 1u);
  EXPECT_TRUE(EnabledBar(window_).empty()) << "listing opens the first recording: the bar waits for it";
  window_.filer()->SelectRow(0);
  window_.SetState(/*loaded=*/true, false, false);
  // Stopped at the first of several recordings of a card.
  EXPECT_EQ(EnabledBar(window_),
            (std::vector<Control>{Control::kPlay, Control::kNext, Control::kStill, Control::kJoin, Control::kZoom,
                                  Control::kSource, Control::kDelete, Control::kSettings, Control::kCsv,
                                  Control::kDisplaySwitch}));
  // The smallest size has no still pictures or joining.
  while (window_.size_mode() != 2) window_.OnCommand(kCommandSize);
  EXPECT_FALSE(Bar(Control::kStill)->isEnabled());
  EXPECT_FALSE(Bar(Control::kJoin)->isEnabled());
  EXPECT_TRUE(Bar(Control::kZoom)->isEnabled());
  // Opening: the whole bar and the position slider wait.
  window_.SetState(false, /*held=*/true, false);
  EXPECT_TRUE(EnabledBar(window_).empty());
  EXPECT_FALSE(window_.position_slider()->isEnabled());
  EXPECT_TRUE(window_.size_button()->isEnabled());
}

TEST_F(MainWindow, FilterCommandsToggleTheListsFilters) {
  window_.filer()->OpenSource(CardRoot(), library::SourceKind::kCard);
  for (int n = 0; n < 5; ++n) {
    window_.OnCommand(kCommandFirstFilter + n);
    EXPECT_FALSE(window_.filer()->filter(n)) << n;
  }
  EXPECT_TRUE(window_.filer()->list()->rows().empty());
  window_.OnCommand(kCommandLastFilter);  // accepted, no toggle of its own
  window_.OnCommand(kCommandFirstFilter);
  EXPECT_TRUE(window_.filer()->filter(0));
}

TEST_F(MainWindow, VolumeIsWrittenAtTheEndOfADragOnly) {
  ASSERT_EQ(ReadFolderIni(kSectionDisplay, kKeyVolume), "65535");
  window_.OnMessage({kSliderMoved, kVolumeSliderId, 1000});
  EXPECT_EQ(window_.volume(), 1000);
  EXPECT_EQ(ReadFolderIni(kSectionDisplay, kKeyVolume), "65535");
  window_.OnMessage({kSliderDragEnd, kVolumeSliderId, 99999});
  EXPECT_EQ(window_.volume(), 65535);
  window_.OnMessage({kSliderDragEnd, kVolumeSliderId, 1234});
  EXPECT_EQ(ReadFolderIni(kSectionDisplay, kKeyVolume), "1234");
  EXPECT_EQ(window_.volume_slider()->value(), 1234);
}

TEST_F(MainWindow, PlaybackCommandsAndMessagesReachTheControllerLaterOnesDoNothing) {
  std::vector<int> commands;
  std::vector<std::uint32_t> messages;
  window_.on_command = [&](int id) { commands.push_back(id); };
  window_.on_message = [&](const platform::Message& m) { messages.push_back(m.message); };
  for (int id : {38002, 38006, 38007, 38010, 38011, 38012, 38200, 12345}) window_.OnCommand(id);
  // Still pictures, join, delete, settings and the CSV export chain onto the hook.
  EXPECT_EQ(commands, (std::vector<int>{38002, 38006, 38007, 38010, 38011, 38012, 38200}));
  for (std::uint32_t m : {0x8261u, 0x812Du, 0x8516u, 0x8002u, 0x8515u}) window_.OnMessage({m, 0, 0});
  window_.OnMessage({kSliderMoved, kPositionSliderId, 5});
  EXPECT_EQ(messages, (std::vector<std::uint32_t>{0x8261u, 0x812Du, 0x8516u, 0x8515u, kSliderMoved}));
}

TEST_F(MainWindow, ADragOnTheBackgroundMovesTheWindow) {
  window_.move(100, 100);
  const QPoint background(400, 10);  // the caption band, left of the caption buttons
  ASSERT_EQ(window_.childAt(background), nullptr);
  const QPoint before = window_.pos();
  QTest::mousePress(&window_, Qt::LeftButton, {}, background);
  QMouseEvent move(QEvent::MouseMove, QPointF(background + QPoint(30, 20)),
                   QPointF(window_.mapToGlobal(background + QPoint(30, 20))), Qt::NoButton, Qt::LeftButton, {});
  QApplication::sendEvent(&window_, &move);
  QTest::mouseRelease(&window_, Qt::LeftButton, {}, background + QPoint(30, 20));
  EXPECT_EQ(window_.pos(), before + QPoint(30, 20));
}

TEST_F(MainWindow, ProgressIsTheShareDone) {
  window_.OnMessage({0x8008, 3, 4});
  EXPECT_EQ(window_.progress_bar()->pos(), 75);
  window_.OnMessage({0x8008, 3, 0});
  EXPECT_EQ(window_.progress_bar()->pos(), 100);
}

// Every way out runs the shutdown: the players are closed.
enum class WayOut { kEscape, kWindowClose, kCloseButton };
class Shutdown : public MainWindow, public ::testing::WithParamInterface<WayOut> {};

TEST_P(Shutdown, ClosesThePlayers) {
  bool hook = false;
  window_.on_shutdown = [&] { hook = true; };
  ASSERT_FALSE(player::Failed(window_.views().Open(testfiles::SharedCard().front().main_path)));
  ASSERT_TRUE(window_.views().opened(player::ViewPair::kFront));
  switch (GetParam()) {
    case WayOut::kEscape: QTest::keyClick(&window_, Qt::Key_Escape); break;
    case WayOut::kWindowClose: window_.close(); break;
    case WayOut::kCloseButton: QTest::mouseClick(window_.close_button(), Qt::LeftButton); break;
  }
  EXPECT_TRUE(hook);
  EXPECT_TRUE(window_.shut_down());
  EXPECT_FALSE(window_.views().opened(player::ViewPair::kFront));
  EXPECT_FALSE(window_.views().opened(player::ViewPair::kRear));
  EXPECT_FALSE(window_.isVisible());
}

std::string WayName(const ::testing::TestParamInfo<WayOut>& info) {
  constexpr const char* kNames[] = {"Escape", "WindowManagerClose", "CloseButton"};
  return kNames[static_cast<int>(info.param)];
}
INSTANTIATE_TEST_SUITE_P(Ways, Shutdown,
                         ::testing::Values(WayOut::kEscape, WayOut::kWindowClose, WayOut::kCloseButton), WayName);

}  // namespace
}  // namespace viewer
