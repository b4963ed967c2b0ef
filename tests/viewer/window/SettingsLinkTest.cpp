#include <gtest/gtest.h>

#include <QTest>
#include <cstdlib>

#include "FakeDiskTool.h"
#include "FakeDiskTree.h"
#include "RecordingOpening.h"
#include "SeriesMaker.h"
#include "maintenance/ui/CSettingDlg.h"
#include "maintenance/ui/CardFormatter.h"
#include "mapview/ui/CGSensorDlg.h"
#include "viewer/skin/CSkinCheckButton.h"
#include "viewer/window/SettingsLink.h"

namespace viewer {
namespace {

namespace fs = std::filesystem;
using mapview::DetectorTable;

constexpr int kSpeedingBox = 3;

// Frames 20-39 of 60 speeding, the rest plain.
mapview::SensorSeries Series(bool speeding) {
  return mapview::SeriesMaker::OnePerFrame(60, [speeding](std::int32_t i, recording::AccelSample& s) {
    s.x = 0.2;
    if (speeding && i >= 20 && i < 40) s.flag = 8;
  });
}

class SettingsInWindow : public WindowUnderTest {
 protected:
  maintenance::CSettingDlg* OpenSettings(CQuorbexDlg& window) {
    window.OnCommand(CommandOf(Control::kSettings));
    return window.settings().dialog();
  }
  void Click(maintenance::CSettingDlg* dialog, int box) {
    QTest::mouseClick(dialog->box(box), Qt::LeftButton, {}, QPoint(6, 10));
  }
  QImage GraphPixels() {
    QImage image(window_.graph()->size(), QImage::Format_RGB32);
    window_.graph()->render(&image);
    return image;
  }
};

TEST_F(SettingsInWindow, TheSettingsCommandOpensTheWindowOnceWithTheStoredSwitches) {
  maintenance::CSettingDlg* dialog = OpenSettings(window_);
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(dialog->parentWidget(), &window_);
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(dialog->box(i)->isChecked()) << i;
  EXPECT_EQ(OpenSettings(window_), dialog) << "a second command brings the same window up";
}

TEST_F(SettingsInWindow, ClearingSpeedingTakesItsBandAndMarkersOffTheGraphAtOnce) {
  window_.graph()->SetSeries(Series(false));
  window_.graph()->SetShowData(true);
  const QImage without = GraphPixels();
  window_.graph()->SetSeries(Series(true));
  const QImage with = GraphPixels();
  ASSERT_NE(with, without) << "the speeding is drawn";
  int changes = 0;
  window_.settings().on_event_kinds_changed = [&] { ++changes; };

  Click(OpenSettings(window_), kSpeedingBox);
  ASSERT_TRUE(WaitUntil([&] { return changes == 1; }, std::chrono::seconds(2))) << "0x81F5 reached the window";
  EXPECT_FALSE(window_.graph()->detectors().Shown(DetectorTable::kSpeedingEntry, DetectorTable::Use::kMap));
  EXPECT_EQ(GraphPixels(), without) << "band and markers gone";
  EXPECT_EQ(ReadFolderIni("DISPLAY", "INFOCHECK"), "23");

  Click(window_.settings().dialog(), kSpeedingBox);
  ASSERT_TRUE(WaitUntil([&] { return changes == 2; }, std::chrono::seconds(2)));
  EXPECT_EQ(GraphPixels(), with) << "and back";
  EXPECT_EQ(ReadFolderIni("DISPLAY", "INFOCHECK"), "31");
}

struct SwitchRow {
  const char* name;
  int box;
  int entry;
};

class EachSwitch : public SettingsInWindow, public ::testing::WithParamInterface<SwitchRow> {};

TEST_P(EachSwitch, SetsBothFlagsOfItsDetectorEntryOnly) {
  const DetectorTable& detectors = window_.graph()->detectors();
  window_.OnMessage({maintenance::kMessageSettingEventKind, static_cast<std::uintptr_t>(GetParam().box), 0});
  for (int e = 0; e < DetectorTable::kEntries; ++e) {
    EXPECT_EQ(detectors.Shown(e, DetectorTable::Use::kGraph), e != GetParam().entry) << "entry " << e;
    EXPECT_EQ(detectors.Shown(e, DetectorTable::Use::kMap), e != GetParam().entry) << "entry " << e;
  }
}

INSTANTIATE_TEST_SUITE_P(Boxes, EachSwitch,
                         ::testing::Values(SwitchRow{"DriveAssist", 0, 9}, SwitchRow{"EmergencyStop", 1, 4},
                                           SwitchRow{"ParkingImpact", 2, 5}, SwitchRow{"Speeding", 3, 6}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SettingsInWindow, TheChoiceSurvivesARestartAndOtherBitsAreKept) {
  ASSERT_TRUE(WriteFolderIni("DISPLAY", "INFOCHECK", "4127"));  // bit 12 belongs to someone else
  Click(OpenSettings(window_), kSpeedingBox);
  ASSERT_TRUE(WaitUntil([&] { return ReadFolderIni("DISPLAY", "INFOCHECK") == "4119"; }, std::chrono::seconds(2)))
      << ReadFolderIni("DISPLAY", "INFOCHECK");

  CQuorbexDlg again;  // the next start
  ASSERT_TRUE(again.InitDialog());
  EXPECT_FALSE(again.graph()->detectors().Shown(DetectorTable::kSpeedingEntry, DetectorTable::Use::kGraph));
  EXPECT_TRUE(again.graph()->detectors().Shown(4, DetectorTable::Use::kGraph));
  maintenance::CSettingDlg* dialog = OpenSettings(again);
  EXPECT_TRUE(dialog->box(0)->isChecked());
  EXPECT_FALSE(dialog->box(kSpeedingBox)->isChecked());
}

TEST_F(SettingsInWindow, AValueThatIsNoNumberReadsAsAllShown) {
  ASSERT_TRUE(WriteFolderIni("DISPLAY", "INFOCHECK", "all"));
  CQuorbexDlg again;
  ASSERT_TRUE(again.InitDialog());
  for (int e = 0; e < DetectorTable::kEntries; ++e) {
    EXPECT_TRUE(again.graph()->detectors().Shown(e, DetectorTable::Use::kGraph)) << e;
  }
  again.OnMessage({maintenance::kMessageSettingEventKind, 0, 0});
  EXPECT_EQ(ReadFolderIni("DISPLAY", "INFOCHECK"), "30");
}

// The card being played is formatted: the players close first, and the
// card's mount going away afterwards is the ordinary lost-source path.
class FormatInWindow : public RecordingOpening {
 protected:
  void TearDown() override {
    ::unsetenv("BRENNOVALE_DISK_TOOL");
    ::unsetenv("FAKE_DISK_TOOL_REMOVE");
    RecordingOpening::TearDown();
  }
};

TEST_F(FormatInWindow, AfterTheFormatTheCardsRemovalClearsTheList) {
  const auto card = CardOf(2, 3.0);
  ASSERT_TRUE(PlayCard(card));
  testfiles::FakeDiskTree tree(dir_ / "machine");
  tree.AddDisk("mmcblk1", "179:96", "platform/soc/mmc1/mmc_host/mmc1/mmc1:aaaa",
               {{"size", "15523840"}, {"removable", "0"}, {"device/type", "SD"}, {"device/name", "SD08G"}});
  tree.AddById("mmc-SD08G_0x00001234", "mmcblk1");
  window_.settings().set_card_roots({tree.sysfs(), tree.mountinfo(), tree.swaps(), tree.dev()});
  window_.settings().formatter().set_program_folder(dir_.path());
  const fs::path log = dir_ / "tool.log";
  ::setenv("BRENNOVALE_DISK_TOOL", testfiles::WriteFakeDiskTool(dir_.path(), log).c_str(), 1);
  ::setenv("FAKE_DISK_TOOL_REMOVE", CardRootOf(card[0].main_path).c_str(), 1);

  window_.OnCommand(CommandOf(Control::kSettings));
  maintenance::CSettingDlg* dialog = window_.settings().dialog();
  ASSERT_EQ(dialog->cards().size(), 1u);
  dialog->Format();
  EXPECT_FALSE(window_.views().opened(player::ViewPair::kFront)) << "the players closed before the tool ran";
  ASSERT_TRUE(WaitUntil([&] { return !window_.settings().formatter().running(); }));
  EXPECT_TRUE(fs::exists(log));
  EXPECT_TRUE(WaitUntil([&] { return Rows().empty(); }, std::chrono::seconds(5))) << "the list still shows the card";
  EXPECT_FALSE(window_.shut_down());
  ASSERT_EQ(boxes_.size(), 2u);
  EXPECT_EQ(boxes_[0].caption, "確認");
  EXPECT_EQ(boxes_[1].text, "完了しました。");
}

}  // namespace
}  // namespace viewer
