#include "viewer/commands/EnabledControls.h"

namespace viewer {

ControlSet EnabledControls(const ControlInputs& in) {
  if (in.busy) return {};
  // These follow no state: the window can always be closed, moved between
  // sizes and have its list and panel used.
  ControlSet on{Control::kClose,        Control::kSize, Control::kMinimise, Control::kPositionSlider,
                Control::kVolumeSlider, Control::kList, Control::kPanel};
  const bool card = in.source == library::SourceKind::kCard;
  on.Set(Control::kCsv, card && in.entry_count > 0);
  if (in.entry_count <= 0) {
    on.Set(Control::kSource, true);
  } else {
    const bool playing = in.state == PlayState::kPlaying;
    const bool several = in.entry_count > 1;
    on.Set(Control::kFirst, playing || in.state == PlayState::kPaused);
    on.Set(Control::kPrevious, several && in.current_index > 0);
    on.Set(Control::kNext, several && in.current_index < in.entry_count - 1);
    on.Set(Control::kPlay, playing || in.loaded);
    on.Set(Control::kSlow, playing && in.speed_level > -2 && !in.speed_debounce);
    on.Set(Control::kFastForward, playing && in.speed_level < 4 && !in.speed_debounce);
    // The smallest size has no room for still pictures or joining.
    on.Set(Control::kStill, in.size_mode != 2);
    on.Set(Control::kJoin, card && in.size_mode != 2);
    on.Set(Control::kZoom, true);
    on.Set(Control::kSource, true);
    on.Set(Control::kDelete, in.source != library::SourceKind::kFile);
    on.Set(Control::kSettings, true);
    on.Set(Control::kDisplaySwitch, true);
  }
  if (in.held) {
    on -= ControlSet::BarButtons();
    on.Set(Control::kPositionSlider, false);
  }
  return on;
}

}  // namespace viewer
