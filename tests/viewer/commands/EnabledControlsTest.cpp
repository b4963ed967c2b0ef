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
  PlayState state;
  std::function<void(ControlInputs&)> change;
  Control control;
  bool enabled;
};

void PrintTo(const Row& row, std::ostream* out) { *out << row.name; }

using In = ControlInputs;
constexpr PlayState kClosed = PlayState::kClosed;
constexpr PlayState kStopped = PlayState::kStopped;
constexpr PlayState kPaused = PlayState::kPaused;
constexpr PlayState kPlaying = PlayState::kPlaying;

const Row kRows[] = {
    // No list, or an empty one.
    {"EmptyListKeepsSource", kStopped, [](In& in) { in.entry_count = 0; }, Control::kSource, true},
    {"EmptyListDisablesPlay", kStopped, [](In& in) { in.entry_count = 0; }, Control::kPlay, false},
    {"EmptyListDisablesSettings", kStopped, [](In& in) { in.entry_count = 0; }, Control::kSettings, false},
    {"EmptyListDisablesDisplaySwitch", kStopped, [](In& in) { in.entry_count = 0; }, Control::kDisplaySwitch, false},
    {"EmptyCardListHasNoCsv", kStopped, [](In& in) { in.entry_count = 0; }, Control::kCsv, false},
    {"NoSourceKeepsSource", kClosed, [](In& in) { in = In(); }, Control::kSource, true},
    // Closed or stopped.
    {"StoppedDisablesFirst", kStopped, nullptr, Control::kFirst, false},
    {"StoppedDisablesSlow", kStopped, nullptr, Control::kSlow, false},
    {"StoppedDisablesFastForward", kStopped, nullptr, Control::kFastForward, false},
    {"ClosedDisablesFirst", kClosed, nullptr, Control::kFirst, false},
    {"ClosedDisablesFastForward", kClosed, nullptr, Control::kFastForward, false},
    {"PreviousInTheMiddle", kStopped, nullptr, Control::kPrevious, true},
    {"PreviousOffAtIndexZero", kStopped, [](In& in) { in.current_index = 0; }, Control::kPrevious, false},
    {"PreviousOffWithNoCurrent", kStopped, [](In& in) { in.current_index = -1; }, Control::kPrevious, false},
    {"PreviousOffWithOneEntry", kStopped, [](In& in) { in.entry_count = 1, in.current_index = 0; }, Control::kPrevious,
     false},
    {"NextInTheMiddle", kStopped, nullptr, Control::kNext, true},
    {"NextOffAtTheLastIndex", kStopped, [](In& in) { in.current_index = 4; }, Control::kNext, false},
    {"NextOffWithOneEntry", kStopped, [](In& in) { in.entry_count = 1, in.current_index = 0; }, Control::kNext, false},
    {"PlayWhenARecordingCanPlay", kStopped, nullptr, Control::kPlay, true},
    {"PlayOffWhenNothingLoaded", kStopped, [](In& in) { in.loaded = false; }, Control::kPlay, false},
    {"JoinOnACard", kStopped, nullptr, Control::kJoin, true},
    {"JoinOffForAFolder", kStopped, [](In& in) { in.source = SourceKind::kFolder; }, Control::kJoin, false},
    {"JoinOffForAFile", kStopped, [](In& in) { in.source = SourceKind::kFile; }, Control::kJoin, false},
    {"DeleteOnACard", kStopped, nullptr, Control::kDelete, true},
    {"DeleteForAFolder", kStopped, [](In& in) { in.source = SourceKind::kFolder; }, Control::kDelete, true},
    {"DeleteOffForSingleFiles", kStopped, [](In& in) { in.source = SourceKind::kFile; }, Control::kDelete, false},
    {"StillInSizeModeZero", kStopped, nullptr, Control::kStill, true},
    {"StillInSizeModeOne", kStopped, [](In& in) { in.size_mode = 1; }, Control::kStill, true},
    {"StillOffInSizeModeTwo", kStopped, [](In& in) { in.size_mode = 2; }, Control::kStill, false},
    {"JoinOffInSizeModeTwo", kStopped, [](In& in) { in.size_mode = 2; }, Control::kJoin, false},
    {"ZoomInSizeModeTwo", kStopped, [](In& in) { in.size_mode = 2; }, Control::kZoom, true},
    {"DisplaySwitchInSizeModeTwo", kStopped, [](In& in) { in.size_mode = 2; }, Control::kDisplaySwitch, true},
    {"SourceWithAList", kStopped, nullptr, Control::kSource, true},
    {"SettingsWithAList", kStopped, nullptr, Control::kSettings, true},
    // CSV: a card whose list is not empty, in every state.
    {"CsvOnACardWithEntries", kStopped, nullptr, Control::kCsv, true},
    {"CsvOffForAFolder", kStopped, [](In& in) { in.source = SourceKind::kFolder; }, Control::kCsv, false},
    {"CsvWhilePlaying", kPlaying, nullptr, Control::kCsv, true},
    // Paused.
    {"PausedEnablesFirst", kPaused, nullptr, Control::kFirst, true},
    {"PausedDisablesSlow", kPaused, nullptr, Control::kSlow, false},
    {"PausedDisablesFastForward", kPaused, nullptr, Control::kFastForward, false},
    // Playing.
    {"PlayingEnablesFirst", kPlaying, nullptr, Control::kFirst, true},
    {"PlayingEnablesPlay", kPlaying, nullptr, Control::kPlay, true},
    {"PlayingPreviousOffAtIndexZero", kPlaying, [](In& in) { in.current_index = 0; }, Control::kPrevious, false},
    {"PlayingNextOffAtTheLastIndex", kPlaying, [](In& in) { in.current_index = 4; }, Control::kNext, false},
    {"SlowAtNormalSpeed", kPlaying, nullptr, Control::kSlow, true},
    {"SlowAtLevelMinusOne", kPlaying, [](In& in) { in.speed_level = -1; }, Control::kSlow, true},
    {"SlowOffAtHalfSpeed", kPlaying, [](In& in) { in.speed_level = -2; }, Control::kSlow, false},
    {"SlowOffAtQuarterSpeed", kPlaying, [](In& in) { in.speed_level = -4; }, Control::kSlow, false},
    {"FastForwardAtDoubleSpeed", kPlaying, [](In& in) { in.speed_level = 2; }, Control::kFastForward, true},
    {"FastForwardOffAtFourTimes", kPlaying, [](In& in) { in.speed_level = 4; }, Control::kFastForward, false},
    {"SlowRestsAfterASpeedChange", kPlaying, [](In& in) { in.speed_debounce = true; }, Control::kSlow, false},
    {"FastForwardRestsAfterASpeedChange", kPlaying, [](In& in) { in.speed_debounce = true; }, Control::kFastForward,
     false},
    {"PlayingJoinOffForAFolder", kPlaying, [](In& in) { in.source = SourceKind::kFolder; }, Control::kJoin, false},
    {"PlayingDeleteOffForSingleFiles", kPlaying, [](In& in) { in.source = SourceKind::kFile; }, Control::kDelete,
     false},
    {"PlayingStillOffInSizeModeTwo", kPlaying, [](In& in) { in.size_mode = 2; }, Control::kStill, false},
    {"PlayingSettings", kPlaying, nullptr, Control::kSettings, true},
    // Opening, or the refused zone near the end.
    {"HeldDisablesPlay", kPlaying, [](In& in) { in.held = true; }, Control::kPlay, false},
    {"HeldDisablesSource", kStopped, [](In& in) { in.held = true; }, Control::kSource, false},
    {"HeldDisablesThePositionSlider", kPlaying, [](In& in) { in.held = true; }, Control::kPositionSlider, false},
    {"HeldKeepsTheList", kStopped, [](In& in) { in.held = true; }, Control::kList, true},
    {"HeldKeepsClose", kPlaying, [](In& in) { in.held = true; }, Control::kClose, true},
    {"HeldKeepsTheVolume", kPlaying, [](In& in) { in.held = true; }, Control::kVolumeSlider, true},
    // A file operation runs.
    {"BusyDisablesClose", kStopped, [](In& in) { in.busy = true; }, Control::kClose, false},
    {"BusyDisablesTheList", kStopped, [](In& in) { in.busy = true; }, Control::kList, false},
    {"BusyDisablesSource", kStopped, [](In& in) { in.busy = true; }, Control::kSource, false},
};

class EnabledState : public ::testing::TestWithParam<Row> {};

TEST_P(EnabledState, FollowsTheRule) {
  ControlInputs in = Base();
  in.state = GetParam().state;
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
