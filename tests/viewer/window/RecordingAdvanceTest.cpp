#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

#include "RecordingOpening.h"
#include "viewer/window/ViewModes.h"
#include "viewer/window/ZoomController.h"
#include "library/DriveLossRule.h"
#include "viewer/commands/Controls.h"
#include "viewer/skin/UiQText.h"
#include "viewer/window/RecordingAdvance.h"

namespace viewer {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class MovingOn : public RecordingOpening {
 protected:
  library::TreeItem* Folder() const { return window_.filer()->tree()->selected(); }
  // Reads the front strip until the recording opened after path plays on
  // past frame 20: the first picture read after the switch, or -1 when an
  // old frame (a number going down) showed after it.
  int FirstFrameAfterSwitchFrom(const fs::path& path) {
    if (!WaitUntil([&] { return window_.opener().opened() != path; }, 15s)) return -1;
    int first = -1, last = -1;
    bool went_back = false;  // an old frame after a newer one
    const bool played = WaitUntil([&] {
      const int strip = FrontStrip();
      if (strip < 0) return false;
      if (first < 0) first = strip;
      went_back = went_back || strip < last;
      last = std::max(last, strip);
      return last > 20;
    });
    return played && !went_back ? first : -1;
  }
};

// Opening a card selects its first folder, which opens the first recording
// without playing it: the first frame stays on screen.
TEST_F(MovingOn, ASelectedFolderOpensItsFirstRecordingStopped) {
  const auto card = CardOf(2, 2.0);
  OpenCard(card);
  ASSERT_TRUE(WaitUntil([&] { return window_.opener().opened() == card[0].main_path && window_.loaded(); }));
  EXPECT_EQ(window_.filer()->current_row(), 0);
  EXPECT_EQ(FrontStrip(), 0);
  QTest::qWait(300);
  EXPECT_EQ(FrontStrip(), 0) << "it plays";
  EXPECT_NE(window_.views().state(), player::MovieView::ViewState::kPlaying);
}

TEST_F(MovingOn, TheEndOfARecordingPlaysTheNextFromItsStart) {
  const auto card = CardOf(3, 2.0);
  ASSERT_TRUE(PlayCard(card));

  const int first = FirstFrameAfterSwitchFrom(card[0].main_path);
  EXPECT_GE(first, 0) << "the next recording did not play, or an old frame showed after the switch";
  EXPECT_LT(first, 10) << "the next recording starts at its beginning";
  EXPECT_EQ(window_.opener().opened(), card[1].main_path) << "one end moved one row";
  EXPECT_EQ(window_.filer()->current_row(), 1);
}

TEST_F(MovingOn, TheLastRecordingOfAFolderMovesToTheNextFolderAndPlaysItsFirst) {
  const auto card = CardOf(7, 2.0);
  OpenCard(card);
  library::TreeItem* first_folder = Folder();
  ASSERT_NE(first_folder, nullptr);
  const int last = RowOf(card[4].main_path);
  ASSERT_EQ(last, static_cast<int>(Rows().size()) - 1) << "the card is not laid out as this test expects";
  Select(last);
  ASSERT_TRUE(WaitUntilPlaying(card[4].main_path));

  const int first = FirstFrameAfterSwitchFrom(card[4].main_path);
  EXPECT_GE(first, 0) << "the next folder's first recording did not play";
  EXPECT_EQ(window_.opener().opened(), card[5].main_path);
  EXPECT_NE(Folder(), first_folder) << "the tree did not move to the next folder";
  EXPECT_EQ(RowOf(card[5].main_path), 0);
  EXPECT_FALSE(window_.advance().auto_advance()) << "the folder switch is over once it plays";
  EXPECT_TRUE(boxes_.empty());
}

// The last recording of the last folder has nowhere to go: it opens again,
// stopped at its start.
TEST_F(MovingOn, TheEndOfTheLastFolderReopensItsLastRecordingStopped) {
  const auto card = CardOf(3, 2.0);
  OpenCard(card);
  Select(2);
  ASSERT_TRUE(WaitUntilPlaying(card[2].main_path));
  const std::uint32_t playing = window_.opener().sequence().generation();
  window_.view_modes().zoom().SetZoomMode(true);

  ASSERT_TRUE(WaitUntil([&] { return window_.opener().sequence().generation() != playing && window_.loaded(); }, 15s))
      << "the end did not reopen it";
  EXPECT_EQ(window_.opener().opened(), card[2].main_path);
  EXPECT_EQ(window_.filer()->current_row(), 2);
  EXPECT_EQ(FrontStrip(), 0);
  QTest::qWait(300);
  EXPECT_EQ(FrontStrip(), 0) << "it plays on";
  EXPECT_NE(window_.views().state(), player::MovieView::ViewState::kPlaying);
  EXPECT_FALSE(window_.advance().auto_advance());
  EXPECT_FALSE(window_.view_modes().zoom().zoom_mode()) << "nothing follows: zoom ends";
  EXPECT_TRUE(boxes_.empty());
}

// A broken recording after the one that ends is passed over, silently.
TEST_F(MovingOn, TheEndOfARecordingPassesOverABrokenNextOne) {
  const auto card = CardOf(3, 2.0);
  Break(card[1]);
  ASSERT_TRUE(PlayCard(card));

  EXPECT_TRUE(WaitUntil([&] { return window_.opener().opened() == card[2].main_path; }, 15s));
  EXPECT_GE(WaitForPlayback(), 0) << "the recording after the broken one does not play";
  EXPECT_TRUE(boxes_.empty()) << "an automatic open that fails is no reason for a message";
  EXPECT_EQ(window_.advance().continuation().failures(), 0) << "a good open starts a new run";
}

// The folder moved to holds only recordings that fail: each is tried once,
// then the failure is reported once and nothing opens any more.
TEST_F(MovingOn, AFolderOfUnreadableRecordingsEndsWithTheFailureMessage) {
  const auto card = CardOf(7, 2.0);
  Break(card[5]);
  Break(card[6]);
  OpenCard(card);
  Select(RowOf(card[4].main_path));
  ASSERT_TRUE(WaitUntilPlaying(card[4].main_path));

  ASSERT_TRUE(WaitUntil([&] { return !boxes_.empty(); }, 15s)) << "no failure message";
  EXPECT_EQ(BoxTexts(), std::vector<QString>{UiQText(99)});
  EXPECT_EQ(window_.opener().opened(), card[6].main_path) << "both broken recordings were tried";
  // No spin: nothing opens again and no second message comes.
  QTest::qWait(1500);
  EXPECT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(window_.opener().opened(), card[6].main_path);
  EXPECT_FALSE(window_.opener().open_delay_running());
  EXPECT_TRUE(window_.opener().sequence().ready());
  EXPECT_FALSE(window_.advance().auto_advance());
}

// Previous and next move one row; previous on the first row goes back to its
// start, stopped.
TEST_F(MovingOn, PreviousAndNextMoveOneRow) {
  const auto card = CardOf(3, 3.0);
  ASSERT_TRUE(PlayCard(card));
  ASSERT_TRUE(WaitUntil([&] { return window_.loaded(); }));

  window_.OnCommand(CommandOf(Control::kNext));
  EXPECT_TRUE(WaitUntilPlaying(card[1].main_path)) << "next";
  ASSERT_TRUE(WaitUntil([&] { return window_.loaded(); }));

  window_.OnCommand(CommandOf(Control::kPrevious));
  EXPECT_TRUE(WaitUntilPlaying(card[0].main_path)) << "previous";
  ASSERT_TRUE(WaitUntil([&] { return window_.loaded(); }));
  ASSERT_GT(FrontStrip(), 5);

  window_.OnCommand(CommandOf(Control::kPrevious));
  EXPECT_EQ(window_.filer()->current_row(), 0);
  EXPECT_NE(window_.views().state(), player::MovieView::ViewState::kPlaying);
  EXPECT_EQ(FrontStrip(), 0) << "previous on the first row shows its first frame";
  QTest::qWait(200);
  EXPECT_EQ(FrontStrip(), 0) << "and stays there";
  EXPECT_EQ(window_.opener().opened(), card[0].main_path) << "nothing was reopened";
}

// The card's folder goes away while a recording plays.
TEST_F(MovingOn, ALostCardClearsTheListAndTheViewsAndTheProgramGoesOn) {
  const auto card = CardOf(2, 3.0);
  ASSERT_TRUE(PlayCard(card));

  fs::remove_all(CardRootOf(card[0].main_path));
  EXPECT_TRUE(WaitUntil([&] { return Rows().empty(); }, 5s)) << "the list still shows the lost card";
  EXPECT_FALSE(window_.views().opened(player::ViewPair::kFront));
  EXPECT_LT(FrontStrip(), 0) << "a picture of the lost card is still shown";
  EXPECT_FALSE(window_.loaded());
  EXPECT_FALSE(window_.shut_down());
  EXPECT_TRUE(window_.isVisible());
  EXPECT_TRUE(boxes_.empty()) << "the user pulled the card: no message box";

  // The program goes on: another card plays.
  const auto next_card = CardOf(2, 2.0);
  EXPECT_TRUE(PlayCard(next_card));
}

// The program's own file system goes with the source: it shuts down.
TEST_F(MovingOn, LosingTheProgramsOwnFileSystemShutsDown) {
  const auto card = CardOf(2, 3.0);
  const fs::path root = CardRootOf(card[0].main_path);
  const fs::path program = root / "brennovale";
  std::ofstream(program) << "program";
  window_.advance().set_drive_loss_rule(library::DriveLossRule(program));
  ASSERT_TRUE(PlayCard(card));

  fs::remove_all(root);
  EXPECT_TRUE(WaitUntil([&] { return window_.shut_down(); }, 5s)) << "the shutdown routine did not run";
  EXPECT_FALSE(window_.views().opened(player::ViewPair::kFront));
  EXPECT_FALSE(window_.isVisible());
  EXPECT_TRUE(boxes_.empty());
}

}  // namespace
}  // namespace viewer
