#include <gtest/gtest.h>

#include <QComboBox>
#include <QPainter>
#include <QTest>

#include "RecordingSink.h"
#include "mapview/ui/CObdDlg.h"
#include "mapview/ui/GaugePainter.h"
#include "viewer/skin/UiQText.h"

namespace mapview {
namespace {

const QColor kPanelBackground(20, 22, 28);

// The panel as it must look with one gauge of kind showing value in slot n.
QImage GaugeReference(const QSize& size, int n, int kind, int value) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(kPanelBackground);
  QPainter p(&image);
  PaintGauge(p, CObdDlg::ColumnOf(n), kind, value);
  return image;
}

class VehiclePanel : public ::testing::Test {
 protected:
  QImage Grab() { return panel_.grab().toImage().convertToFormat(QImage::Format_RGB32); }
  void TickUntilQuiet(int n) {
    for (int i = 0; i < 500; ++i) panel_.OnTimer(CObdDlg::kTimerFirst + n);
  }

  RecordingSink sink_;
  CObdDlg panel_{nullptr, &sink_};
};

TEST_F(VehiclePanel, TitledAndMostlyOpaque) {
  EXPECT_EQ(panel_.windowTitle(), viewer::UiQText(140));
  EXPECT_NEAR(panel_.windowOpacity(), 229.0 / 255.0, 0.01);
  for (int n = 0; n < CObdDlg::kSlots; ++n) EXPECT_EQ(panel_.combo(n)->currentIndex(), -1) << "slots start empty";
}

TEST_F(VehiclePanel, Speed250IsDrawnAt220InTheFirstColumnOnly) {
  panel_.show();
  panel_.SetReading(2, 250);
  panel_.combo(0)->setCurrentIndex(2);
  EXPECT_TRUE(panel_.timer(0).isActive());
  EXPECT_EQ(panel_.timer(0).interval(), 50);
  TickUntilQuiet(0);
  const QImage shown = Grab();
  const QRect column = CObdDlg::ColumnOf(0);
  EXPECT_EQ(column, QRect(2, column.top(), 211, 151));
  EXPECT_EQ(shown.copy(column), GaugeReference(shown.size(), 0, 2, 220).copy(column));
  EXPECT_NE(shown.copy(column), GaugeReference(shown.size(), 0, 2, 219).copy(column)) << "the needle's last step shows";
  const QImage empty = GaugeReference(shown.size(), 0, -1, 0);
  for (int n : {1, 2}) EXPECT_EQ(shown.copy(CObdDlg::ColumnOf(n)), empty.copy(CObdDlg::ColumnOf(n))) << n;
}

TEST_F(VehiclePanel, ChoosingAKindRestartsAtItsStartValue) {
  panel_.show();
  panel_.SetReading(2, 90);
  panel_.combo(1)->setCurrentIndex(2);
  panel_.OnTimer(1001);
  QImage shown = Grab();
  const QRect column = CObdDlg::ColumnOf(1);
  EXPECT_EQ(shown.copy(column), GaugeReference(shown.size(), 1, 2, 90).copy(column)) << "speed starts at 90";
  panel_.SetReading(0, 0);
  panel_.combo(1)->setCurrentIndex(0);
  panel_.OnTimer(1001);
  shown = Grab();
  EXPECT_EQ(shown.copy(column), GaugeReference(shown.size(), 1, 0, 0).copy(column)) << "other kinds start at 0";
}

TEST_F(VehiclePanel, TheTimerMovesTheGauge) {
  panel_.show();
  panel_.SetReading(3, 6);
  panel_.combo(2)->setCurrentIndex(3);
  EXPECT_TRUE(QTest::qWaitFor([&] { return panel_.slot(2).shown() == 6 && !panel_.slot(2).animating(); }, 3000));
}

struct ComboRow {
  const char* name;
  bool folder_source;
  bool chosen;
  bool enabled;
};

class VehiclePanelCombos : public VehiclePanel, public ::testing::WithParamInterface<ComboRow> {};

TEST_P(VehiclePanelCombos, FollowTheFolderSource) {
  const ComboRow& row = GetParam();
  if (row.chosen) panel_.combo(0)->setCurrentIndex(1);
  panel_.SetFolderSourceLoaded(row.folder_source);
  EXPECT_EQ(panel_.combo(0)->isEnabled(), row.enabled);
  EXPECT_TRUE(panel_.combo(1)->isEnabled()) << "an empty slot can still be chosen";
}

INSTANTIATE_TEST_SUITE_P(Rows, VehiclePanelCombos,
                         ::testing::Values(ComboRow{"FolderDataActiveSlotLocked", true, true, false},
                                           ComboRow{"FolderDataEmptySlotFree", true, false, true},
                                           ComboRow{"OtherSourceActiveSlotFree", false, true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(VehiclePanel, ChoosingUnderAFolderSourceLocksTheSlot) {
  panel_.SetFolderSourceLoaded(true);
  ASSERT_TRUE(panel_.combo(2)->isEnabled());
  panel_.combo(2)->setCurrentIndex(4);
  EXPECT_FALSE(panel_.combo(2)->isEnabled());
  panel_.SetFolderSourceLoaded(false);
  EXPECT_TRUE(panel_.combo(2)->isEnabled());
}

TEST_F(VehiclePanel, ClosePostsToTheOwnerAndStopsTheTimers) {
  panel_.show();
  for (int n = 0; n < CObdDlg::kSlots; ++n) panel_.combo(n)->setCurrentIndex(n);
  ASSERT_TRUE(panel_.timer(2).isActive());
  panel_.close();
  ASSERT_EQ(sink_.posted.size(), 1U);
  EXPECT_EQ(sink_.posted[0], (platform::Message{0x8578, 0, 0}));
  for (int n = 0; n < CObdDlg::kSlots; ++n) EXPECT_FALSE(panel_.timer(n).isActive()) << n;
}

}  // namespace
}  // namespace mapview
