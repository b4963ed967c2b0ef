#include <gtest/gtest.h>

#include <QComboBox>
#include <QTest>

#include "WindowUnderTest.h"
#include "mapview/ui/CInfoDlg.h"
#include "mapview/ui/CObdDlg.h"
#include "viewer/commands/MainWindowLayout.h"
#include "viewer/skin/CSkinButton.h"
#include "viewer/skin/UiQText.h"
#include "viewer/window/InfoPanelLink.h"

namespace viewer {
namespace {

class InfoPanelInWindow : public WindowUnderTest {
 protected:
  mapview::CObdDlg* OpenByDoubleClick() {
    QTest::mouseDClick(window_.info_panel(), Qt::LeftButton, {}, QPoint(300, 20));
    return window_.panels().vehicle_panel();
  }
};

class InfoPanelSizeModes : public InfoPanelInWindow, public ::testing::WithParamInterface<int> {};

TEST_P(InfoPanelSizeModes, LayoutFollowsTheSizeMode) {
  const int mode = GetParam();
  while (window_.size_mode() != mode) window_.OnCommand(kCommandSize);
  mapview::CInfoDlg* info = window_.info();
  ASSERT_EQ(static_cast<QWidget*>(info), window_.info_panel());
  EXPECT_EQ(info->layout(), mode);
  EXPECT_EQ(info->boxes().date_time.left, mapview::InfoPanelLayoutFor(mode, info->width()).date_time.left)
      << "the boxes are placed for the panel's width in this size mode";
  EXPECT_TRUE(info->isVisible());
  for (int n = 0; n < 3; ++n) EXPECT_EQ(info->axis_button(n)->isVisible(), mode == 0) << n;
}

INSTANTIATE_TEST_SUITE_P(Modes, InfoPanelSizeModes, ::testing::Values(0, 1, 2));

TEST_F(InfoPanelInWindow, DoubleClickOpensTheVehiclePanelAndItsCloseLetsItGo) {
  mapview::CObdDlg* panel = OpenByDoubleClick();
  ASSERT_NE(panel, nullptr);
  EXPECT_TRUE(panel->isVisible());
  EXPECT_EQ(panel->windowTitle(), UiQText(140));
  EXPECT_EQ(OpenByDoubleClick(), panel) << "a second double click brings the same panel up";
  panel->close();
  EXPECT_TRUE(QTest::qWaitFor([&] { return window_.panels().vehicle_panel() == nullptr; }, 2000))
      << "0x8578 reached the window";
  EXPECT_NE(OpenByDoubleClick(), nullptr) << "it opens again after a close";
}

TEST_F(InfoPanelInWindow, GpsSpeedIsTheVehiclePanelsReadingTwo) {
  ShownValues values;
  values.frame = 12;
  values.has_sample = true;
  values.x = 0.5;
  values.gps_valid = true;
  values.gps_speed = 57.4;
  window_.panels().ShowValues(values);
  EXPECT_EQ(window_.info()->values().speed, 57.4);
  EXPECT_TRUE(window_.info()->values().speed_valid);
  EXPECT_EQ(window_.info()->values().x, 0.5);

  mapview::CObdDlg* panel = OpenByDoubleClick();
  ASSERT_NE(panel, nullptr);
  panel->combo(0)->setCurrentIndex(2);  // speed
  panel->combo(1)->setCurrentIndex(0);  // a reading the data does not carry
  for (int i = 0; i < 100; ++i) {
    panel->OnTimer(mapview::CObdDlg::kTimerFirst);
    panel->OnTimer(mapview::CObdDlg::kTimerFirst + 1);
  }
  EXPECT_EQ(panel->slot(0).shown(), 57);
  EXPECT_EQ(panel->slot(1).shown(), 0);

  values.gps_valid = false;
  values.gps_speed = -1.0;
  window_.panels().ShowValues(values);
  for (int i = 0; i < 100; ++i) panel->OnTimer(mapview::CObdDlg::kTimerFirst);
  EXPECT_EQ(panel->slot(0).shown(), 0) << "no fix: the speed reading falls to 0";
}

TEST_F(InfoPanelInWindow, ALostSourceResetsThePanels) {
  ShownValues values;
  values.frame = 12;
  values.has_sample = true;
  values.x = values.y = values.z = 0.25;
  values.status = 'R';
  values.gps_valid = true;
  values.gps_speed = 80.0;
  window_.panels().ShowValues(values);
  mapview::CObdDlg* panel = OpenByDoubleClick();
  ASSERT_NE(panel, nullptr);
  panel->combo(0)->setCurrentIndex(2);
  window_.OnMessage({0x84B1, 0, 0});
  const mapview::InfoValues& shown = window_.info()->values();
  EXPECT_EQ(shown.frame, -1);
  EXPECT_EQ(shown.x, -5.0);
  EXPECT_EQ(shown.z, -5.0);
  EXPECT_EQ(shown.speed, -1.0);
  EXPECT_FALSE(shown.speed_valid);
  EXPECT_EQ(shown.status, 'M');
  for (int i = 0; i < 100; ++i) panel->OnTimer(mapview::CObdDlg::kTimerFirst);
  EXPECT_EQ(panel->slot(0).shown(), 0) << "the speed reading went back to 0";
}

}  // namespace
}  // namespace viewer
