#include "viewer/window/ViewModes.h"

#include "viewer/window/FilterCommands.h"
#include "viewer/window/FullscreenController.h"
#include "viewer/window/SubViewController.h"
#include "viewer/window/VideoInput.h"
#include "viewer/window/ZoomController.h"

namespace viewer {

ViewModes::ViewModes(CQuorbexDlg& window)
    : zoom_(std::make_unique<ZoomController>(window)),
      sub_(std::make_unique<SubViewController>(window, *zoom_)),
      fullscreen_(std::make_unique<FullscreenController>(window, *sub_, *zoom_)),
      input_(std::make_unique<VideoInput>(window, *zoom_, *sub_, *fullscreen_)),
      filters_(std::make_unique<FilterCommands>(window, *zoom_)) {}

ViewModes::~ViewModes() = default;

}  // namespace viewer
