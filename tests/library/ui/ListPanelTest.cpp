#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <set>
#include <thread>

#include "FakeFileSystem.h"
#include "TestFiles.h"
#include "library/ui/CFilerContainerDlg.h"
#include "platform/RecordingSink.h"
#include "platform/ScopedFileSystem.h"
#include "viewer/settings/FolderIni.h"
#include "viewer/skin/CResourceImage.h"
#include "viewer/skin/CSkinButton.h"

namespace library {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class ListPanel : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* base : {"A__-240301-100000-000001", "G__-240301-100100-000002", "M__-240301-100200-000003",
                             "AG_-240301-100300-000004", "A__-240301-100400-000005"}) {
      testfiles::WriteStubRecording(card_ / "Normal/Main" / (std::string(base) + "M.MOV"));
    }
    testfiles::WriteStubRecording(card_ / "Parking/Main" / "P__-240301-200000-000006M.MOV");
    panel_.resize(460, 600);
    panel_.ArrangeSideBySide(QRect(0, 0, 460, 600));
    panel_.show();
    panel_.on_recording_selected = [this](int row, const RecordingEntry&) {
      ++opened_;
      panel_.SelectRow(row);  // the main window makes it the current recording
    };
  }
  QImage ListPicture() { return panel_.list()->viewport()->grab().toImage(); }
  void Click(QWidget* w, int y) {
    QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(20, y));
  }

  testfiles::TempDir dir_;
  fs::path card_ = dir_ / "card";
  platform::RecordingSink owner_, list_parent_;
  CFilerContainerDlg panel_{nullptr, &owner_, &list_parent_};
  int opened_ = 0;
};

TEST_F(ListPanel, ShowsTheCardsGroupsAndRecordings) {
  panel_.OpenSource(card_, SourceKind::kCard);
  const auto rows = panel_.tree()->VisibleItems();
  ASSERT_GE(rows.size(), 3u);
  EXPECT_EQ(rows[0]->text, "Normal");
  EXPECT_EQ(rows[1]->text, "240301_0001");
  EXPECT_EQ(panel_.tree()->selected()->text, "240301_0001");
  EXPECT_EQ(panel_.list()->rows().size(), 5u);
  EXPECT_EQ(panel_.path_field()->text().toStdString(), (card_ / "Normal" / "240301_0001").string());
  EXPECT_TRUE(panel_.path_field()->isHidden());
}

TEST_F(ListPanel, FiltersEmptyTheListAndOneBackOnSelectsRowZero) {
  panel_.OpenSource(card_, SourceKind::kCard);
  Click(panel_.list()->viewport(), 2 * CFileListCtrl::kRowHeight + 5);
  ASSERT_EQ(panel_.current_row(), 2);
  for (int category = 0; category < 4; ++category) panel_.SetFilter(category, false);
  ASSERT_EQ(panel_.list()->rows().size(), 1u) << "only the parking impact is left";
  Click(panel_.list()->viewport(), 5);
  const int before = panel_.current_row();
  panel_.SetFilter(4, false);
  EXPECT_TRUE(panel_.list()->rows().empty());
  EXPECT_EQ(panel_.current_row(), before) << "all filters off keep the current row";
  panel_.filter_toggle(1)->click();  // impacts back on
  EXPECT_TRUE(panel_.filter(1));
  ASSERT_EQ(panel_.list()->rows().size(), 1u);
  EXPECT_EQ(panel_.current_row(), 0);
  EXPECT_EQ(panel_.list()->rows()[0].name.substr(0, 3), "G__");
}

TEST_F(ListPanel, FilterTogglesStayClearOfTreeAndListInBothArrangements) {
  panel_.OpenSource(card_, SourceKind::kCard);
  const struct {
    const char* name;
    QSize size;
    bool stacked;
    std::vector<std::vector<int>> rows;  // gaps between successive toggles, per row
  } arrangements[] = {{"side by side", QSize(460, 600), false, {{45, 45, 82, 45}}},
                      {"stacked", QSize(240, 633), true, {{82, 70}, {82}}}};
  for (const auto& a : arrangements) {
    panel_.resize(a.size);
    const QRect client(QPoint(0, 0), a.size);
    if (a.stacked) {
      panel_.ArrangeStacked(client);
    } else {
      panel_.ArrangeSideBySide(client);
    }
    const QRect tree = panel_.tree()->geometry(), list = panel_.list()->geometry();
    EXPECT_FALSE(tree.intersects(list)) << a.name;
    std::vector<QRect> covered;  // each toggle with its label
    for (int i = 0; i < 5; ++i) {
      const QWidget* toggle = panel_.filter_toggle(i);
      EXPECT_EQ(toggle->size(), QSize(12, 12)) << a.name << " " << i;
      covered.push_back(toggle->geometry());
      const QWidget* label = toggle->parentWidget()->childAt(toggle->geometry().center() + QPoint(16, 0));
      ASSERT_NE(label, nullptr) << a.name << ": no label beside toggle " << i;
      covered.push_back(label->geometry());
    }
    for (const QRect& r : covered) {
      EXPECT_TRUE(client.contains(r)) << a.name << " " << r.x() << "," << r.y();
      EXPECT_FALSE(r.intersects(tree)) << a.name << " " << r.x() << "," << r.y();
      EXPECT_FALSE(r.intersects(list)) << a.name << " " << r.x() << "," << r.y();
    }
    int i = 0;
    for (const auto& gaps : a.rows) {
      const int y = panel_.filter_toggle(i)->y();
      for (int gap : gaps) {
        EXPECT_EQ(panel_.filter_toggle(i + 1)->x() - panel_.filter_toggle(i)->x(), gap) << a.name << " " << i;
        EXPECT_EQ(panel_.filter_toggle(i + 1)->y(), y) << a.name << " " << i;
        ++i;
      }
      ++i;
    }
    // Nothing is drawn over the tree's first item: the panel's picture
    // there is the tree's own.
    QWidget* viewport = panel_.tree()->viewport();
    const QImage own = viewport->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage whole = panel_.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QPoint origin = viewport->mapTo(&panel_, QPoint(0, 0));
    int differing = 0;
    for (int y = 0; y < CFolderTreeCtrl::kRowHeight; ++y) {
      for (int x = 0; x < own.width(); ++x) differing += own.pixel(x, y) != whole.pixel(origin + QPoint(x, y));
    }
    EXPECT_EQ(differing, 0) << a.name << ": the first tree item is covered";
  }
}

TEST_F(ListPanel, RowColoursShowImpactsAndTheCurrentRecording) {
  panel_.OpenSource(card_, SourceKind::kCard);
  Click(panel_.list()->viewport(), 5);  // row 0, continuous, becomes current
  const QImage picture = ListPicture();
  EXPECT_EQ(QColor(picture.pixel(200, 10)), QColor(178, 178, 178)) << "the current row over the whole width";
  EXPECT_EQ(QColor(picture.pixel(165, 30)), QColor(255, 255, 204)) << "an impact row on light yellow";
  EXPECT_EQ(QColor(picture.pixel(200, 30)), QColor(255, 255, 255)) << "outside its first column";
  EXPECT_EQ(QColor(picture.pixel(165, 50)), QColor(255, 255, 255));
  EXPECT_EQ(QColor(picture.pixel(0, 30)), QColor(136, 136, 136)) << "the row frame";
  Click(panel_.list()->viewport(), 25);
  EXPECT_EQ(QColor(ListPicture().pixel(165, 30)), QColor(178, 178, 142)) << "the current impact";
}

// An impact is G at either trigger position, in upper case only.
TEST_F(ListPanel, ImpactColoursFollowTheTriggerLetters) {
  for (int a = 0; a < 256; ++a) {
    for (char second : {'_', 'G', 'g', 'A'}) {
      RecordingEntry entry;
      entry.name = "___-240301-100000-000001M.MOV";
      entry.name[0] = static_cast<char>(a);
      entry.name[1] = second;
      const bool impact = a == 'G' || second == 'G';
      EXPECT_EQ(CFileListCtrl::RowColour(entry, false), impact ? QColor(255, 255, 204) : QColor(Qt::white))
          << a << " " << second;
      EXPECT_EQ(CFileListCtrl::RowColour(entry, true), impact ? QColor(178, 178, 142) : QColor(178, 178, 178))
          << a << " " << second;
    }
  }
}

TEST_F(ListPanel, SelectingTheCurrentRowAgainOpensNothing) {
  panel_.OpenSource(card_, SourceKind::kCard);
  Click(panel_.list()->viewport(), 25);
  EXPECT_EQ(opened_, 1);
  Click(panel_.list()->viewport(), 25);
  EXPECT_EQ(opened_, 1);
  panel_.set_reopen(true);
  Click(panel_.list()->viewport(), 25);
  EXPECT_EQ(opened_, 2);
  QTest::mouseDClick(panel_.list()->viewport(), Qt::LeftButton, {}, QPoint(20, 25));
  EXPECT_EQ(list_parent_.MessagesOf(kMessageListDoubleClick).size(), 1u);
}

TEST_F(ListPanel, BadgesComposeTheTriggersAndTopItemsHaveNone) {
  const QImage base = viewer::CResourceImage::Get(319);
  EXPECT_EQ(CFolderTreeCtrl::Badge(0x01), base.convertToFormat(QImage::Format_RGB32)) << "continuous only: the base";
  const QImage both = CFolderTreeCtrl::Badge(0x10 | 0x02);
  const QImage manual = viewer::CResourceImage::Get(316);
  const QImage parking_impact = viewer::CResourceImage::Get(317);
  // Each overlay's own pixels show through, the others do not.
  EXPECT_EQ(both.pixel(16, 13), manual.pixel(16, 13));
  EXPECT_EQ(both.pixel(19, 7), parking_impact.pixel(19, 7));
  EXPECT_EQ(both.pixel(24, 13), base.pixel(24, 13)) << "no impact overlay";

  panel_.OpenSource(card_, SourceKind::kCard);
  const TreeItem* normal = panel_.tree()->VisibleItems()[0];
  ASSERT_NE(normal->data, 0u);
  const QImage tree = panel_.tree()->viewport()->grab().toImage();
  int coloured = 0;
  for (int x = 100; x < 200; ++x) {
    for (int y = 2; y < CFolderTreeCtrl::kRowHeight - 2; ++y) {
      const QColor c(tree.pixel(x, y));
      coloured += c != QColor(Qt::white) && c != QColor(Qt::black) && c.saturation() > 60;
    }
  }
  EXPECT_EQ(coloured, 0) << "a top-level item is never badged";
}

// Each kind of badge is composed once, and every row of that kind shows the
// same pixels as a fresh composition, on every paint.
TEST_F(ListPanel, EachBadgeKindIsBuiltOnceAndDrawnAsComposed) {
  const fs::path card = dir_ / "kinds";
  // One group per kind: an hour between groups, a minute within one.
  for (const char* base : {"A__-240301-100000-000001", "G__-240301-110000-000002", "M__-240301-110100-000003",
                           "AG_-240301-120000-000004", "A__-240301-130000-000005", "T__-240301-140000-000006",
                           "PG_-240301-140100-000007"}) {
    testfiles::WriteStubRecording(card / "Normal/Main" / (std::string(base) + "M.MOV"));
  }
  testfiles::WriteStubRecording(card / "Parking/Main" / "P__-240301-200000-000008M.MOV");
  panel_.OpenSource(card, SourceKind::kCard);
  panel_.tree()->Select(panel_.scanner().tree().top()[0].get());  // no badged row drawn as selected
  const auto rows = panel_.tree()->VisibleItems();
  std::set<std::uint32_t> kinds;
  for (const TreeItem* item : rows) {
    if (item->parent != nullptr) kinds.insert(item->data);
  }
  ASSERT_EQ(kinds, (std::set<std::uint32_t>{0x01, 0x04 | 0x02, 0x10, 0x08 | 0x10, 0x08}));

  for (int paint = 0; paint < 3; ++paint) {
    const QImage tree = panel_.tree()->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    for (std::size_t i = 0; i < rows.size(); ++i) {
      if (rows[i]->parent == nullptr) continue;
      const QImage want = CFolderTreeCtrl::Badge(rows[i]->data);
      const int y = static_cast<int>(i) * CFolderTreeCtrl::kRowHeight;
      bool found = false;
      for (int x = 0; x + want.width() <= tree.width() && !found; ++x) {
        found = tree.copy(x, y, want.width(), want.height()) == want;
      }
      EXPECT_TRUE(found) << rows[i]->text << " paint " << paint;
    }
    EXPECT_EQ(panel_.tree()->badges_built(), kinds.size()) << "paint " << paint;
  }
}

TEST_F(ListPanel, TreeRowsHoldTheirBadgeAndAClickHitsTheRowDrawnThere) {
  panel_.OpenSource(card_, SourceKind::kCard);
  const auto rows = panel_.tree()->VisibleItems();
  ASSERT_EQ(rows.size(), 4u);
  ASSERT_EQ(rows[1], panel_.tree()->selected());
  const QImage tree = panel_.tree()->viewport()->grab().toImage();
  // The selected row's fill and focus frame give the drawn row height.
  int top = -1, bottom = -1;
  for (int y = 0; y < tree.height(); ++y) {
    if (QColor(tree.pixel(2, y)) != QColor(Qt::white)) {
      if (top < 0) top = y;
      bottom = y;
    }
  }
  const int height = bottom - top + 1;
  EXPECT_EQ(top, height) << "the selected item is the second row";
  EXPECT_EQ(height, CFolderTreeCtrl::Badge(0).height()) << "a row is as tall as a badge";
  // The badge of the last row (Parking's group, not selected) lies wholly in that row.
  int badge_top = tree.height(), badge_bottom = -1;
  for (int y = 0; y < tree.height(); ++y) {
    for (int x = 100; x < tree.width(); ++x) {
      const QColor c(tree.pixel(x, y));
      if (y >= 2 * height && c.saturation() > 60 && c != QColor(0, 204, 255)) {
        badge_top = std::min(badge_top, y);
        badge_bottom = std::max(badge_bottom, y);
      }
    }
  }
  ASSERT_GE(badge_bottom, 0) << "Parking's group carries a badge";
  EXPECT_GE(badge_top, 3 * height);
  EXPECT_LT(badge_bottom, 4 * height);
  // A click anywhere in a row's band selects the item drawn there.
  for (int y : {3 * height + 1, 3 * height + height - 1}) {
    panel_.tree()->Select(panel_.scanner().tree().top()[0]->children[0].get());
    QTest::mouseClick(panel_.tree()->viewport(), Qt::LeftButton, {}, QPoint(20, y));
    EXPECT_EQ(panel_.tree()->selected(), rows[3]) << y;
  }
  QTest::mouseClick(panel_.tree()->viewport(), Qt::LeftButton, {}, QPoint(20, 3 * height - 1));
  EXPECT_EQ(panel_.tree()->selected(), rows[2]);
}

TEST_F(ListPanel, GeneratedCardShowsEveryGroupAndTrigger) {
  samplecard::CardOptions options;
  options.seconds = 0.2;
  options.width = 64;
  options.height = 36;
  ASSERT_TRUE(samplecard::WriteSampleCard(dir_ / "generated", options));
  panel_.OpenSource(dir_ / "generated", SourceKind::kCard);
  std::set<std::string> groups, triggers;
  std::vector<TreeItem*> items;
  for (const auto& top : panel_.scanner().tree().top()) {
    for (const auto& group : top->children) items.push_back(group.get());
  }
  for (TreeItem* group : items) {
    groups.insert(group->parent->text + "/" + group->text);
    EXPECT_NE(group->data, 0u) << "every group has its trigger summary";
    panel_.tree()->Select(group);
    for (const RecordingEntry& e : panel_.list()->rows()) triggers.insert(e.name.substr(0, 2));
  }
  EXPECT_EQ(groups, (std::set<std::string>{"Normal/240301_0001", "Normal/240301_0002", "Parking/240301_0001"}));
  EXPECT_EQ(triggers, (std::set<std::string>{"A_", "G_", "M_", "P_", "T_", "PG"}));
}

TEST_F(ListPanel, AReloadThatFindsNoSourceLeavesAnEmptyPanel) {
  // No card inserted and nothing stored: the reload finds no source. The
  // shown card's tree is gone, and the panel must not select into it.
  viewer::InitializeSettings(dir_ / "startup", dir_ / "config");
  testfiles::FakeFileSystem fake;
  fake.use_removable = true;
  platform::ScopedFileSystem scoped{fake};
  panel_.OpenSource(card_, SourceKind::kCard);
  ASSERT_FALSE(panel_.list()->rows().empty());
  EXPECT_FALSE(panel_.ReloadSource());
  EXPECT_EQ(panel_.tree()->selected(), nullptr);
  EXPECT_TRUE(panel_.list()->rows().empty());
  QApplication::processEvents();
}

TEST_F(ListPanel, SourceLostWhileShownPostsOnceAndTheListStaysUsable) {
  panel_.OpenSource(card_, SourceKind::kCard);
  fs::remove_all(card_);
  ASSERT_TRUE(owner_.WaitFor(kMessageSourceLost, 2s));
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(owner_.MessagesOf(kMessageSourceLost).size(), 1u);
  Click(panel_.list()->viewport(), 5);
  EXPECT_EQ(panel_.current_row(), 0);
  EXPECT_EQ(panel_.SelectItem(panel_.tree()->selected()), 0u);
}

}  // namespace
}  // namespace library
