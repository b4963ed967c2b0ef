#include "viewer/window/RecordingGraph.h"

#include "mapview/DetectorTable.h"
#include "mapview/GraphScale.h"
#include "mapview/ui/CGSensorDlg.h"
#include "player/ViewPair.h"

namespace viewer {

void RecordingGraph::Opening(mapview::CGSensorDlg& graph) { graph.ClearData(); }

void RecordingGraph::DataLoaded(mapview::CGSensorDlg& graph, player::ViewPair& views,
                                const std::filesystem::path& front) {
  views.reading_view().ReadSensorData([&graph](const recording::SensorDataFile& data) {
    if (!data.loaded() || data.frame_index().empty()) {
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
