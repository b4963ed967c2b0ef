#pragma once

#include <cstddef>

namespace viewer {

// Command identifiers of the main window.
inline constexpr int kCommandClose = 14;
inline constexpr int kCommandMinimise = 15;
inline constexpr int kCommandSize = 16;
inline constexpr int kCommandFirstButton = 38000;  // the bar button i sends 38000 + i
inline constexpr int kCommandKeepAspect = 38200;
inline constexpr int kCommandFirstFilter = 38700;  // list filter n sends 38700 + n
inline constexpr int kCommandLastFilter = 38705;

// Playback state of player slot 0, which is the window's playback state.
enum class PlayState { kClosed = 0, kStopped = 1, kPlaying = 2, kPaused = 3 };

// The controls whose enabled state the window decides. The first 14 are the
// button bar in its order (command 38000 + index).
enum class Control : std::size_t {
  kFirst,  // "先頭": stop and go back to the start
  kPrevious,
  kPlay,
  kSlow,
  kFastForward,
  kNext,
  kStill,
  kJoin,
  kZoom,
  kSource,
  kDelete,
  kSettings,
  kCsv,
  kDisplaySwitch,
  kClose,
  kSize,
  kMinimise,
  kPositionSlider,
  kVolumeSlider,
  kList,   // the recording list, the folder tree and the filter toggles
  kPanel,  // the info panel and its buttons
  kCount
};

inline constexpr std::size_t kBarButtons = 14;
inline constexpr std::size_t kControlCount = static_cast<std::size_t>(Control::kCount);

inline constexpr int CommandOf(Control bar_button) { return kCommandFirstButton + static_cast<int>(bar_button); }

}  // namespace viewer
