#include "viewer/commands/EnabledControls.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>

namespace viewer {
namespace {

using library::SourceKind;

// A card with five recordings, the middle one loaded and stopped.
ControlInputs Base() {
  ControlInputs in;
  in.entry_count = 5;
  in.current_index = 2;
  in.state = PlayState::kStopped;
  in.loaded = true;
  in.source = SourceKind::kCard;
  return in;
}

struct Row {
  const char* name;
  std::function<void(ControlInputs&)> change;
  Control control;
  bool enabled;
};

void PrintTo(const Row& row, std::ostream* out) { *out << row.name; }

void Playing(ControlInputs& in) { in.state = PlayState::kPlaying; }

const Row kRows[] = {
    // No list, or an empty one.
    {"EmptyListKeepsSource", [](ControlInputs& in) { in.entry_count = 0; }, Control::kSource, true},
    {"EmptyListDisablesPlay", [](ControlInputs& in) { in.entry_count = 0; }, Control::kPlay, false},
    {"EmptyListDisablesSettings", [](ControlInputs& in) { in.entry_count = 0; }, Control::kSettings, false},
    {"EmptyListDisablesDisplaySwitch", [](ControlInputs& in) { in.entry_count = 0; }, Control::kDisplaySwitch, false},
    {"EmptyCardListHasNoCsv", [](ControlInputs& in) { in.entry_count = 0; }, Control::kCsv, false},
    {"NoSourceKeepsSource",
     [](ControlInputs& in) {
       in = ControlInputs();
     },
     Control::kSource, true},
    // Closed or stopped.
    {"StoppedDisablesFirst", nullptr, Control::kFirst, false},
    {"StoppedDisablesSlow", nullptr, Control::kSlow, false},
    {"StoppedDisablesFastForward", nullptr, Control::kFastForward, false},
    {"ClosedDisablesFirst", [](ControlInputs& in) { in.state = PlayState::kClosed; }, Control::kFirst, false},
    {"ClosedDisablesFastForward", [](ControlInputs& in) { in.state = PlayState::kClosed; }, Control::kFastForward,
     false},
    {"PreviousInTheMiddle", nullptr, Control::kPrevious, true},
    {"PreviousOffAtIndexZero", [](ControlInputs& in) { in.current_index = 0; }, Control::kPrevious, false},
    {"PreviousOffWithNoCurrent", [](ControlInputs& in) { in.current_index = -1; }, Control::kPrevious, false},
    {"PreviousOffWithOneEntry",
     [](ControlInputs& in) {
       in.entry_count = 1;
       in.current_index = 0;
     },
     Control::kPrevious, false},
    {"NextInTheMiddle", nullptr, Control::kNext, true},
    {"NextOffAtTheLastIndex", [](ControlInputs& in) { in.current_index = 4; }, Control::kNext, false},
    {"NextOffWithOneEntry",
     [](ControlInputs& in) {
       in.entry_count = 1;
       in.current_index = 0;
     },
     Control::kNext, false},
    {"PlayWhenARecordingCanPlay", nullptr, Control::kPlay, true},
    {"PlayOffWhenNothingLoaded", [](ControlInputs& in) { in.loaded = false; }, Control::kPlay, false},
    {"JoinOnACard", nullptr, Control::kJoin, true},
    {"JoinOffForAFolder", [](ControlInputs& in) { in.source = SourceKind::kFolder; }, Control::kJoin, false},
    {"JoinOffForAFile", [](ControlInputs& in) { in.source = SourceKind::kFile; }, Control::kJoin, false},
    {"DeleteOnACard", nullptr, Control::kDelete, true},
    {"DeleteForAFolder", [](ControlInputs& in) { in.source = SourceKind::kFolder; }, Control::kDelete, true},
    {"DeleteOffForSingleFiles", [](ControlInputs& in) { in.source = SourceKind::kFile; }, Control::kDelete, false},
    {"StillInSizeModeZero", nullptr, Control::kStill, true},
    {"StillInSizeModeOne", [](ControlInputs& in) { in.size_mode = 1; }, Control::kStill, true},
    {"StillOffInSizeModeTwo", [](ControlInputs& in) { in.size_mode = 2; }, Control::kStill, false},
    {"JoinOffInSizeModeTwo", [](ControlInputs& in) { in.size_mode = 2; }, Control::kJoin, false},
    {"ZoomInSizeModeTwo", [](ControlInputs& in) { in.size_mode = 2; }, Control::kZoom, true},
    {"DisplaySwitchInSizeModeTwo", [](ControlInputs& in) { in.size_mode = 2; }, Control::kDisplaySwitch, true},
    {"SourceWithAList", nullptr, Control::kSource, true},
    {"SettingsWithAList", nullptr, Control::kSettings, true},
    // CSV: a card whose list is not empty, in every state.
    {"CsvOnACardWithEntries", nullptr, Control::kCsv, true},
    {"CsvOffForAFolder", [](ControlInputs& in) { in.source = SourceKind::kFolder; }, Control::kCsv, false},
    {"CsvWhilePlaying", Playing, Control::kCsv, true},
    // Paused.
    {"PausedEnablesFirst", [](ControlInputs& in) { in.state = PlayState::kPaused; }, Control::kFirst, true},
    {"PausedDisablesSlow", [](ControlInputs& in) { in.state = PlayState::kPaused; }, Control::kSlow, false},
    {"PausedDisablesFastForward", [](ControlInputs& in) { in.state = PlayState::kPaused; }, Control::kFastForward,
     false},
    // Playing.
    {"PlayingEnablesFirst", Playing, Control::kFirst, true},
    {"PlayingEnablesPlay", Playing, Control::kPlay, true},
    {"PlayingPreviousOffAtIndexZero",
     [](ControlInputs& in) {
       Playing(in);
       in.current_index = 0;
     },
     Control::kPrevious, false},
    {"PlayingNextOffAtTheLastIndex",
     [](ControlInputs& in) {
       Playing(in);
       in.current_index = 4;
     },
     Control::kNext, false},
    {"SlowAtNormalSpeed", Playing, Control::kSlow, true},
    {"SlowAtLevelMinusOne",
     [](ControlInputs& in) {
       Playing(in);
       in.speed_level = -1;
     },
     Control::kSlow, true},
    {"SlowOffAtHalfSpeed",
     [](ControlInputs& in) {
       Playing(in);
       in.speed_level = -2;
     },
     Control::kSlow, false},
    {"SlowOffAtQuarterSpeed",
     [](ControlInputs& in) {
       Playing(in);
       in.speed_level = -4;
     },
     Control::kSlow, false},
    {"FastForwardAtDoubleSpeed",
     [](ControlInputs& in) {
       Playing(in);
       in.speed_level = 2;
     },
     Control::kFastForward, true},
    {"FastForwardOffAtFourTimes",
     [](ControlInputs& in) {
       Playing(in);
       in.speed_level = 4;
     },
     Control::kFastForward, false},
    {"SlowRestsAfterASpeedChange",
     [](ControlInputs& in) {
       Playing(in);
       in.speed_debounce = true;
     },
     Control::kSlow, false},
    {"FastForwardRestsAfterASpeedChange",
     [](ControlInputs& in) {
       Playing(in);
       in.speed_debounce = true;
     },
     Control::kFastForward, false},
    {"PlayingJoinOffForAFolder",
     [](ControlInputs& in) {
       Playing(in);
       in.source = SourceKind::kFolder;
     },
     Control::kJoin, false},
    {"PlayingDeleteOffForSingleFiles",
     [](ControlInputs& in) {
       Playing(in);
       in.source = SourceKind::kFile;
     },
     Control::kDelete, false},
    {"PlayingStillOffInSizeModeTwo",
     [](ControlInputs& in) {
       Playing(in);
       in.size_mode = 2;
     },
     Control::kStill, false},
    {"PlayingSourceAndSettings", Playing, Control::kSettings, true},
    // Opening, or the refused zone near the end.
    {"HeldDisablesPlay",
     [](ControlInputs& in) {
       Playing(in);
       in.held = true;
     },
     Control::kPlay, false},
    {"HeldDisablesSource", [](ControlInputs& in) { in.held = true; }, Control::kSource, false},
    {"HeldDisablesThePositionSlider", [](ControlInputs& in) { in.held = true; }, Control::kPositionSlider, false},
    {"HeldKeepsTheList", [](ControlInputs& in) { in.held = true; }, Control::kList, true},
    {"HeldKeepsClose", [](ControlInputs& in) { in.held = true; }, Control::kClose, true},
    {"HeldKeepsTheVolume", [](ControlInputs& in) { in.held = true; }, Control::kVolumeSlider, true},
    // A file operation runs.
    {"BusyDisablesClose", [](ControlInputs& in) { in.busy = true; }, Control::kClose, false},
    {"BusyDisablesTheList", [](ControlInputs& in) { in.busy = true; }, Control::kList, false},
    {"BusyDisablesSource", [](ControlInputs& in) { in.busy = true; }, Control::kSource, false},
};

class EnabledState : public ::testing::TestWithParam<Row> {};

TEST_P(EnabledState, FollowsTheRule) {
  ControlInputs in = Base();
  if (GetParam().change) GetParam().change(in);
  EXPECT_EQ(EnabledControls(in).Has(GetParam().control), GetParam().enabled);
}

INSTANTIATE_TEST_SUITE_P(Rules, EnabledState, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

// Whatever the playback state, the caption buttons, the list, the sliders and
// the panel come back enabled.
TEST(EnabledState, CaptionListSlidersAndPanelInEveryState) {
  const ControlSet always{Control::kClose,        Control::kSize, Control::kMinimise, Control::kPositionSlider,
                          Control::kVolumeSlider, Control::kList, Control::kPanel};
  for (PlayState state : {PlayState::kClosed, PlayState::kStopped, PlayState::kPlaying, PlayState::kPaused}) {
    for (int entries : {0, 1, 5}) {
      ControlInputs in = Base();
      in.state = state;
      in.entry_count = entries;
      in.current_index = entries - 1;
      const ControlSet on = EnabledControls(in);
      for (std::size_t c = static_cast<std::size_t>(Control::kClose); c < kControlCount; ++c) {
        EXPECT_EQ(on.Has(static_cast<Control>(c)), always.Has(static_cast<Control>(c)))
            << "state " << static_cast<int>(state) << ", " << entries << " entries, control " << c;
      }
    }
  }
}

// With no list only the source button of the bar is live.
TEST(EnabledState, EmptyListLeavesOnlySourceOnTheBar) {
  ControlInputs in = Base();
  in.entry_count = 0;
  in.current_index = -1;
  const ControlSet on = EnabledControls(in);
  for (std::size_t c = 0; c < kBarButtons; ++c) {
    EXPECT_EQ(on.Has(static_cast<Control>(c)), static_cast<Control>(c) == Control::kSource) << "button " << c;
  }
}

}  // namespace
}  // namespace viewer
