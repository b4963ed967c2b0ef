#include "viewer/window/RecordingGraph.h"

#include "mapview/DetectorTable.h"
#include "mapview/GraphScale.h"
#include "mapview/ui/CGSensorDlg.h"
#include "player/ViewPair.h"
#include "recording/CompanionPath.h"

namespace viewer {

void RecordingGraph::Opening(mapview::CGSensorDlg& graph) { graph.ClearData(); }

void RecordingGraph::DataLoaded(mapview::CGSensorDlg& graph, player::ViewPair& views,
                                const std::filesystem::path& front) {
  views.reading_view().ReadSensorData([&graph, &front](const recording::SensorDataFile& data) {
    // Only this recording's own data: never an earlier one's left in the view.
    if (!data.loaded() || data.frame_index().empty() || data.path() != recording::DataPath(front)) {
      graph.ClearData();
      return;
    }
    graph.SetData(data);
    graph.SetThresholds(data.header());
    graph.SetZoom(mapview::GraphScale::ZoomFor(data.largest_acceleration()));
  });
  graph.SetOptionalDetectors(mapview::OptionalDetectorsFor(front.filename().string()));
  graph.SetShowData(true);
  if (const std::int32_t frames = views.FrameCount(); frames > 0) graph.SetRange(0, frames);
}

}  // namespace viewer
