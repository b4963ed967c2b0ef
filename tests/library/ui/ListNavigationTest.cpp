#include <gtest/gtest.h>

#include <QApplication>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include "TestFiles.h"
#include "library/ui/CFileSelectDlg.h"
#include "platform/RecordingSink.h"
#include "library/ui/CFilerContainerDlg.h"
#include "viewer/skin/CMsgBox.h"
#include "viewer/skin/CSkinListCtrl.h"

namespace library {
namespace {

namespace fs = std::filesystem;

const QColor kCurrentRow(178, 178, 178), kSelectedItem(0, 204, 255);

void Wheel(QAbstractScrollArea* area, int units) {
  const QPointF at(20, 20);
  QWheelEvent wheel(at, area->viewport()->mapToGlobal(at), QPoint(), QPoint(0, units), Qt::NoButton, Qt::NoModifier,
                    Qt::NoScrollPhase, false);
  QApplication::sendEvent(area->viewport(), &wheel);
}

QColor PixelAt(QAbstractScrollArea* area, int x, int y) { return area->viewport()->grab().toImage().pixelColor(x, y); }

// Gives the widget the keyboard focus as a user would find it and returns
// the widget that has it.
QWidget* Focus(QWidget* widget) {
  widget->window()->activateWindow();
  widget->setFocus(Qt::OtherFocusReason);
  EXPECT_TRUE(QTest::qWaitForWindowActive(widget->window()));
  return QApplication::focusWidget();
}

// A card with one long group of 40 recordings and twelve short ones in
// Normal, and one group in Parking.
class ListNavigation : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < 40; ++i) Write("Normal", 'A', 10 * 3600 + i * 60, i + 1);
    for (int i = 0; i < 12; ++i) Write("Normal", 'A', 14 * 3600 + i * 600, 100 + i);
    Write("Parking", 'P', 20 * 3600, 200);
    panel_.resize(460, 600);
    panel_.ArrangeSideBySide(QRect(0, 0, 460, 600));
    panel_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel_));
    panel_.on_recording_selected = [this](int row, const RecordingEntry& entry) {
      opened_.push_back(entry.name);
      panel_.SelectRow(row);  // the main window makes it the current recording
    };
    panel_.OpenSource(card_, SourceKind::kCard);
  }
  void Write(const char* folder, char trigger, int seconds, int serial) {
    char name[40];
    std::snprintf(name, sizeof name, "%c__-240301-%02d%02d%02d-%06dM.MOV", trigger, seconds / 3600, seconds / 60 % 60,
                  seconds % 60, serial);
    testfiles::WriteStubRecording(card_ / folder / "Main" / name);
  }
  std::string Path() { return panel_.path_field()->text().toStdString(); }
  TreeItem* Top(int i) { return panel_.scanner().tree().top()[static_cast<std::size_t>(i)].get(); }
  // The tree's window point of a viewport point, for events that go through the window system.
  QPoint InWindow(QPoint viewport_point) { return panel_.tree()->viewport()->mapTo(&panel_, viewport_point); }

  testfiles::TempDir dir_;
  fs::path card_ = dir_ / "card";
  platform::RecordingSink owner_, list_parent_;
  CFilerContainerDlg panel_{nullptr, &owner_, &list_parent_};
  std::vector<std::string> opened_;
};

TEST_F(ListNavigation, AWheelNotchScrollsTheRecordingListAndTheTreeThreeRows) {
  CFileListCtrl* list = panel_.list();
  ASSERT_EQ(list->rows().size(), 40u);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(20, 3 * CFileListCtrl::kRowHeight + 5));
  ASSERT_EQ(panel_.current_row(), 3);
  Wheel(list, -120);
  EXPECT_EQ(PixelAt(list, 200, 10), kCurrentRow) << "the current row 3 is now the top row";
  EXPECT_NE(PixelAt(list, 200, 30), kCurrentRow);

  CFolderTreeCtrl* tree = panel_.tree();
  tree->resize(217, 200);  // 16 items in 7 rows and a part
  QApplication::processEvents();
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, QPoint(100, 3 * CFolderTreeCtrl::kRowHeight + 5));
  ASSERT_EQ(tree->selected(), Top(0)->children[2].get());
  Wheel(tree, -120);
  EXPECT_EQ(PixelAt(tree, 2, 10), kSelectedItem) << "the selected item 3 is now the top row";
  EXPECT_NE(PixelAt(tree, 2, 36), kSelectedItem);
}

TEST_F(ListNavigation, KeysMoveTheCurrentRecordingAsAClickDoes) {
  CFileListCtrl* list = panel_.list();
  QWidget* focused = Focus(list);
  ASSERT_EQ(focused, list);
  const auto name = [&](int row) { return list->rows()[static_cast<std::size_t>(row)].name; };
  const int bottom = list->viewport()->height();
  QTest::keyClick(focused, Qt::Key_Down);
  EXPECT_EQ(panel_.current_row(), 0) << "with no current row, the top row";
  QTest::keyClick(focused, Qt::Key_Down);
  EXPECT_EQ(panel_.current_row(), 1);
  EXPECT_EQ(opened_, (std::vector<std::string>{name(0), name(1)})) << "each move opens the row, as a click does";
  QTest::keyClick(focused, Qt::Key_End);
  EXPECT_EQ(panel_.current_row(), 39);
  EXPECT_EQ(PixelAt(list, 200, bottom - 5), kCurrentRow) << "the last row scrolled into view, at the bottom";
  QTest::keyClick(focused, Qt::Key_Home);
  EXPECT_EQ(panel_.current_row(), 0);
  EXPECT_EQ(PixelAt(list, 200, 5), kCurrentRow);
  QTest::keyClick(focused, Qt::Key_Up);
  EXPECT_EQ(opened_.size(), 4u) << "nothing above the first row: nothing opens again";
  QTest::keyClick(focused, Qt::Key_PageDown);
  const int page = bottom / CFileListCtrl::kRowHeight;  // the rows wholly in view
  EXPECT_EQ(panel_.current_row(), page);
  ASSERT_EQ(opened_.size(), 5u);
  EXPECT_EQ(opened_.back(), name(page));
  QTest::keyClick(focused, Qt::Key_PageUp);
  EXPECT_EQ(panel_.current_row(), 0);
  EXPECT_EQ(opened_.size(), 6u);
}

TEST_F(ListNavigation, ArrowKeysWalkTheTreeAndReportTheSelection) {
  CFolderTreeCtrl* tree = panel_.tree();
  TreeItem *normal = Top(0), *parking = Top(1);
  ASSERT_EQ(tree->selected(), normal->children[0].get());
  QWidget* focused = Focus(tree);
  ASSERT_EQ(focused, tree);
  QTest::keyClick(focused, Qt::Key_Up);
  EXPECT_EQ(tree->selected(), normal);
  EXPECT_EQ(Path(), (card_ / "Normal").string()) << "reported to the owner as a click is";
  QTest::keyClick(focused, Qt::Key_Left);
  EXPECT_EQ(tree->VisibleItems(), (std::vector<const TreeItem*>{normal, parking, parking->children[0].get()}))
      << "Left collapses an expanded item";
  QTest::keyClick(focused, Qt::Key_Left);
  EXPECT_EQ(tree->selected(), normal) << "a top item has no parent to go to";
  QTest::keyClick(focused, Qt::Key_Down);
  EXPECT_EQ(tree->selected(), parking);
  EXPECT_EQ(Path(), (card_ / "Parking").string());
  QTest::keyClick(focused, Qt::Key_Right);
  EXPECT_EQ(tree->selected(), parking->children[0].get()) << "Right on an expanded item goes to its first child";
  EXPECT_EQ(Path(), (card_ / "Parking" / "240301_0001").string());
  EXPECT_EQ(panel_.list()->rows().size(), 1u);
  QTest::keyClick(focused, Qt::Key_Left);
  EXPECT_EQ(tree->selected(), parking) << "Left on a leaf goes to its parent";
  QTest::keyClick(focused, Qt::Key_Left);
  EXPECT_EQ(tree->VisibleItems().size(), 2u);
  QTest::keyClick(focused, Qt::Key_Right);
  EXPECT_EQ(tree->VisibleItems().size(), 3u) << "Right expands a collapsed item";
  EXPECT_EQ(tree->selected(), parking);
}

TEST_F(ListNavigation, TheExpanderAndADoubleClickCollapseAndExpand) {
  CFolderTreeCtrl* tree = panel_.tree();
  TreeItem *normal = Top(0), *parking = Top(1);
  const std::size_t all = tree->VisibleItems().size();
  ASSERT_EQ(all, 16u);
  // The expander sits in front of a top item's icon.
  const QPoint normal_expander(15, CFolderTreeCtrl::kRowHeight / 2);
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, normal_expander);
  EXPECT_EQ(tree->VisibleItems().size(), 3u);
  EXPECT_EQ(tree->selected(), normal) << "the selection hidden by the collapse moves to the collapsed item";
  EXPECT_EQ(Path(), (card_ / "Normal").string());
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, normal_expander);
  EXPECT_EQ(tree->VisibleItems().size(), all);
  EXPECT_EQ(tree->selected(), normal) << "expanding leaves the selection";

  const int parking_row = static_cast<int>(all) - 2;
  const QPoint parking_text(100, parking_row * CFolderTreeCtrl::kRowHeight + 10);
  QTest::mouseDClick(panel_.windowHandle(), Qt::LeftButton, {}, InWindow(parking_text));
  EXPECT_EQ(tree->selected(), parking);
  EXPECT_FALSE(parking->expanded) << "a double click collapses an expanded item";
  EXPECT_EQ(tree->VisibleItems().size(), all - 1);
  QTest::mouseDClick(panel_.windowHandle(), Qt::LeftButton, {}, InWindow(parking_text));
  EXPECT_TRUE(parking->expanded) << "and expands a collapsed one";
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, normal_expander);
  ASSERT_FALSE(normal->expanded);
  const QPoint normal_text(100, 10);
  QTest::mouseDClick(panel_.windowHandle(), Qt::LeftButton, {}, InWindow(normal_text));
  EXPECT_EQ(tree->selected(), normal);
  EXPECT_TRUE(normal->expanded) << "the click that selected it expanded it; the double click leaves it so";
}

class FileSelection : public ::testing::Test {
 protected:
  void SetUp() override {
    viewer::CMsgBox::SetRunner([](viewer::CMsgDlg&) { return static_cast<int>(QDialog::Accepted); });
  }
  void TearDown() override { viewer::CMsgBox::SetRunner([](viewer::CMsgDlg& d) { return d.exec(); }); }
  static std::vector<RecordingEntry> Entries(int n) {
    std::vector<RecordingEntry> out(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
      char name[40];
      std::snprintf(name, sizeof name, "A__-240301-10%02d00-%06dM.MOV", i % 60, i);
      out[static_cast<std::size_t>(i)].name = name;
      out[static_cast<std::size_t>(i)].path = std::string("/card/Normal/Main/") + name;
      out[static_cast<std::size_t>(i)].main_size = 10 * 1048576;
    }
    return out;
  }
};

TEST_F(FileSelection, AClickOnTheTitlesOfTheScrolledListDeletesNothing) {
  CFileSelectDlg dialog(nullptr, CFileSelectDlg::kDelete);
  dialog.SetDefaultList(Entries(100));
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  for (int notch = 0; notch < 7; ++notch) Wheel(dialog.list(), -120);
  for (int y : {1, 10, viewer::CSkinListCtrl::kRowHeight - 1}) {
    QTest::mouseClick(dialog.list()->viewport(), Qt::LeftButton, {}, QPoint(100, y));
  }
  for (int i = 0; i < dialog.list()->row_count(); ++i) EXPECT_FALSE(dialog.list()->checked(i)) << "row " << i;
  EXPECT_FALSE(dialog.ok()->isEnabled());
  EXPECT_EQ(dialog.total()->text(), "0 MB");
}

TEST_F(FileSelection, AFewRowsLeaveNothingToScrollAndSpaceTicksTheFocusRow) {
  CFileSelectDlg dialog(nullptr, CFileSelectDlg::kDelete);
  dialog.SetDefaultList(Entries(6));
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  EXPECT_EQ(dialog.list()->verticalScrollBar()->maximum(), 0);
  EXPECT_FALSE(dialog.list()->verticalScrollBar()->isVisible());
  QWidget* focused = Focus(dialog.list());
  ASSERT_EQ(focused, dialog.list());
  QTest::keyClick(focused, Qt::Key_Down);
  QTest::keyClick(focused, Qt::Key_Space);
  EXPECT_TRUE(dialog.list()->checked(1));
  EXPECT_TRUE(dialog.ok()->isEnabled());
  EXPECT_EQ(dialog.total()->text(), "10 MB");
}

}  // namespace
}  // namespace library
