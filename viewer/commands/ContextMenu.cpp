#include "viewer/commands/ContextMenu.h"

namespace viewer {
namespace {

constexpr MenuItem kSeparator{};
constexpr int kTextPause = 85, kTextPlay = 86, kTextStop = 90, kTextFastForward = 82, kTextSlow = 88,
              kTextDisplaySwitch = 153, kTextKeepAspect = 91, kTextStretch = 92, kTextStill = 89, kTextSettings = 87,
              kTextSource = 84;

int Command(Control c) { return CommandOf(c); }

}  // namespace

std::vector<MenuItem> ContextMenuItems(const MenuInputs& in) {
  if (in.busy || !in.guard_allows) return {};
  const bool playing = in.state == PlayState::kPlaying;
  std::vector<MenuItem> items;
  items.push_back({Command(Control::kPlay), playing ? kTextPause : kTextPlay});
  items.push_back({Command(Control::kFirst), kTextStop});
  // Speed steps only make sense with a recording running or paused.
  if (playing || in.state == PlayState::kPaused) {
    items.push_back({Command(Control::kFastForward), kTextFastForward, in.speed_level == 4 || in.speed_debounce});
    items.push_back({Command(Control::kSlow), kTextSlow, in.speed_level < 0});
  }
  items.push_back(kSeparator);
  items.push_back({Command(Control::kDisplaySwitch), kTextDisplaySwitch});
  if (in.fullscreen) {
    // Names what the command switches to.
    items.push_back({kCommandKeepAspect, in.keep_aspect ? kTextStretch : kTextKeepAspect});
    return items;
  }
  items.push_back(kSeparator);
  items.push_back({Command(Control::kStill), kTextStill});
  items.push_back({Command(Control::kSettings), kTextSettings});
  if (in.size_mode != 2) {
    items.push_back(kSeparator);
    items.push_back({Command(Control::kSource), kTextSource});
  }
  return items;
}

}  // namespace viewer
