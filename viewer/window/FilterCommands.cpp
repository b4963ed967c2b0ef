#include "viewer/window/FilterCommands.h"

#include "library/ui/CFilerContainerDlg.h"
#include "viewer/commands/Controls.h"
#include "viewer/skin/CMovieStatic.h"
#include "viewer/window/CQuorbexDlg.h"
#include "viewer/window/WindowHooks.h"
#include "viewer/window/RecordingOpener.h"
#include "viewer/window/ZoomController.h"

namespace viewer {

FilterCommands::FilterCommands(CQuorbexDlg& window, ZoomController& zoom) : window_(window), zoom_(zoom) {
  ChainCommand(window_, [this](int command) { return OnCommand(command); });
}

bool FilterCommands::OnCommand(int command) {
  if (command < kCommandFirstFilter || command > kCommandLastFilter) return false;
  if (!window_.filer()->list()->rows().empty()) return true;
  window_.opener().CloseRecording();
  for (int slot = 0; slot < 2; ++slot) {
    zoom_.Reset(slot, window_.movie_window(slot)->size());
    window_.movie_window(slot)->update();
  }
  return true;
}

}  // namespace viewer
