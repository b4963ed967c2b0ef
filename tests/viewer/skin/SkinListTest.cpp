#include <gtest/gtest.h>

#include <QApplication>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include "viewer/skin/CSkinListCtrl.h"

namespace viewer {
namespace {

constexpr int kRow = CSkinListCtrl::kRowHeight;  // the titles take one row's height too

std::vector<QStringList> Rows(int n) {
  std::vector<QStringList> rows;
  for (int i = 0; i < n; ++i) rows.push_back({QString("A__-240301-1000%1").arg(i, 4, 10, QChar('0')), "10 MB", "5 MB"});
  return rows;
}

// A list filled before it is shown, as the file selection dialog fills it.
class SkinList : public ::testing::Test {
 protected:
  void Fill(int rows, int height = 360) {
    list_.resize(480, height);
    list_.SetRows(Rows(rows));
    list_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list_));
  }
  QImage Picture() { return list_.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32); }
  // The check mark of the row whose top lies at y.
  static QImage MarkOfRowAt(const QImage& picture, int y) { return picture.copy(3, y + 4, 12, 12); }
  // The mark a ticked row shows, read from row 0 of an unscrolled list.
  QImage TickedMark() {
    CSkinListCtrl reference(nullptr, {{"Name", 270, Qt::AlignLeft}});
    reference.resize(200, 100);
    reference.SetRows(Rows(1));
    reference.SetChecked(0, true);
    return MarkOfRowAt(reference.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32), kRow);
  }
  // Rows whose top the ticked mark is drawn at.
  std::vector<int> TickedMarkTops() {
    const QImage picture = Picture(), ticked = TickedMark();
    std::vector<int> tops;
    for (int y = 0; y + kRow <= picture.height(); ++y) {
      if (MarkOfRowAt(picture, y) == ticked) tops.push_back(y);
    }
    return tops;
  }
  void Wheel(int units) {
    const QPointF at(50, 100);
    QWheelEvent wheel(at, list_.viewport()->mapToGlobal(at), QPoint(), QPoint(0, units), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(list_.viewport(), &wheel);
  }
  QWidget* Focused() {
    list_.activateWindow();
    list_.setFocus();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&list_));
    return QApplication::focusWidget();
  }
  int Bottom() { return list_.viewport()->height(); }

  CSkinListCtrl list_{nullptr, {{"Name", 270, Qt::AlignLeft}, {"Main", 95, Qt::AlignRight}, {"Sub", 95, Qt::AlignRight}}};
};

struct WheelCase {
  const char* name;
  std::vector<int> units;  // angle deltas sent in turn, negative away from the user
  int top_row;
};

class SkinListWheel : public SkinList, public ::testing::WithParamInterface<WheelCase> {};

TEST_P(SkinListWheel, ScrollsThreeWholeRowsANotch) {
  Fill(100);
  list_.SetChecked(GetParam().top_row, true);
  for (int units : GetParam().units) Wheel(units);
  EXPECT_EQ(TickedMarkTops(), std::vector<int>{kRow}) << "the ticked row is the first below the titles";
}

INSTANTIATE_TEST_SUITE_P(
    Notches, SkinListWheel,
    ::testing::Values(WheelCase{"OneNotch", {-120}, 3}, WheelCase{"HighResolutionQuarters", {-30, -30, -30, -30}, 3},
                      WheelCase{"HighResolutionPartNotch", {-40}, 1}, WheelCase{"ThreeNotchesThenOneBack", {-120, -120, -120, 120}, 6}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SkinList, RowsNeverCoverTheTitles) {
  Fill(100);
  const QImage titles = Picture().copy(0, 0, list_.viewport()->width(), kRow);
  for (int notch = 1; notch <= 6; ++notch) {
    Wheel(-120);
    EXPECT_EQ(Picture().copy(0, 0, list_.viewport()->width(), kRow), titles) << notch << " notches";
  }
  list_.verticalScrollBar()->setValue(list_.verticalScrollBar()->maximum());
  EXPECT_EQ(Picture().copy(0, 0, list_.viewport()->width(), kRow), titles) << "at the end, where the top row is cut";
}

struct RangeCase {
  const char* name;
  int rows, height;
};

class SkinListRange : public SkinList, public ::testing::WithParamInterface<RangeCase> {};

TEST_P(SkinListRange, ScrolledToTheEndTheLastRowEndsAtTheBottom) {
  const RangeCase& c = GetParam();
  Fill(c.rows, c.height);
  list_.SetChecked(c.rows - 1, true);
  list_.verticalScrollBar()->setValue(list_.verticalScrollBar()->maximum());
  EXPECT_EQ(TickedMarkTops(), std::vector<int>{Bottom() - kRow});
}

INSTANTIATE_TEST_SUITE_P(Lengths, SkinListRange,
                         ::testing::Values(RangeCase{"ManyRows", 360, 360},
                                           RangeCase{"HeightNotAWholeNumberOfRows", 360, 367},
                                           RangeCase{"PartOfARowOverflows", 18, 367}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SkinList, ResizingRecomputesTheRange) {
  Fill(30, 200);
  list_.SetChecked(29, true);
  list_.resize(480, 700);  // all 30 rows fit now
  QApplication::processEvents();
  EXPECT_EQ(list_.verticalScrollBar()->maximum(), 0);
  list_.resize(480, 300);
  QApplication::processEvents();
  list_.verticalScrollBar()->setValue(list_.verticalScrollBar()->maximum());
  EXPECT_EQ(TickedMarkTops(), std::vector<int>{Bottom() - kRow});
}

class SkinListTitleClick : public SkinList, public ::testing::WithParamInterface<int> {};

TEST_P(SkinListTitleClick, TicksNothingWithTheListScrolled) {
  Fill(100);
  for (int notch = 0; notch < 7; ++notch) Wheel(-120);
  int told = 0;
  list_.on_check_changed = [&](int, bool) { ++told; };
  QTest::mouseClick(list_.viewport(), Qt::LeftButton, {}, QPoint(100, GetParam()));
  for (int i = 0; i < list_.row_count(); ++i) EXPECT_FALSE(list_.checked(i)) << "row " << i;
  EXPECT_EQ(told, 0);
  // Just below the titles lies the first row in view.
  QTest::mouseClick(list_.viewport(), Qt::LeftButton, {}, QPoint(100, kRow + 1));
  EXPECT_EQ(TickedMarkTops(), std::vector<int>{kRow});
  EXPECT_EQ(told, 1);
}

INSTANTIATE_TEST_SUITE_P(TitleBand, SkinListTitleClick, ::testing::Values(0, 10, kRow - 1));

TEST_F(SkinList, KeysMoveTheFocusRowAndSpaceTicksIt) {
  Fill(100);
  QWidget* focused = Focused();
  ASSERT_EQ(focused, &list_);
  QTest::keyClick(focused, Qt::Key_Space);
  EXPECT_TRUE(list_.checked(0)) << "the focus row starts at the top row in view";
  QTest::keyClick(focused, Qt::Key_Down);
  QTest::keyClick(focused, Qt::Key_Down);
  QTest::keyClick(focused, Qt::Key_Space);
  EXPECT_TRUE(list_.checked(2));
  QTest::keyClick(focused, Qt::Key_Space);
  EXPECT_FALSE(list_.checked(2)) << "Space again unticks";
  QTest::keyClick(focused, Qt::Key_End);
  QTest::keyClick(focused, Qt::Key_Space);
  EXPECT_TRUE(list_.checked(99));
  EXPECT_EQ(TickedMarkTops(), std::vector<int>{Bottom() - kRow}) << "the last row scrolled into view";
  QTest::keyClick(focused, Qt::Key_Up);
  QTest::keyClick(focused, Qt::Key_Space);
  EXPECT_TRUE(list_.checked(98));
  QTest::keyClick(focused, Qt::Key_Home);
  QTest::keyClick(focused, Qt::Key_Space);
  EXPECT_FALSE(list_.checked(0));
  EXPECT_EQ(list_.verticalScrollBar()->value(), 0);
  // A page is what fits below the titles; the row a page down shows at the bottom.
  const int page = (Bottom() - kRow) / kRow;
  QTest::keyClick(focused, Qt::Key_PageDown);
  QTest::keyClick(focused, Qt::Key_PageDown);
  QTest::keyClick(focused, Qt::Key_Space);
  EXPECT_TRUE(list_.checked(2 * page));
  EXPECT_EQ(TickedMarkTops(), (std::vector<int>{Bottom() - (Bottom() - kRow) % kRow - kRow}));
}

}  // namespace
}  // namespace viewer
