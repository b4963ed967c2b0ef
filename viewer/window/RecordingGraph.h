#pragma once

#include <filesystem>

namespace mapview {
class CGSensorDlg;
}
namespace player {
class ViewPair;
}

namespace viewer {

// What the acceleration graph is told as a recording opens and as its
// sensor data arrives.
class RecordingGraph {
 public:
  // A recording is being opened: the graph shows no data until its own
  // arrives.
  static void Opening(mapview::CGSensorDlg& graph);
  // The data of the recording front (the front camera's file) is now the
  // reading view's: the graph takes a copy of it under the view's data
  // lock, the zoom that fits its largest acceleration, the thresholds from
  // its header, the optional detectors by the recording's name, and the
  // range of the recording's frames. Without data it stays empty.
  static void DataLoaded(mapview::CGSensorDlg& graph, player::ViewPair& views, const std::filesystem::path& front);
};

}  // namespace viewer
