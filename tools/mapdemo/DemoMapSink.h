#pragma once

#include <optional>
#include <string>
#include <vector>

#include "mapview/MapSink.h"
#include "mapview/MapWindow.h"
#include "recording/SensorSamples.h"

namespace mapdemo {

// A map sink over fixed data for the map's benchmark and screenshot: a
// recording's GPS records, the frame shown, and a window whose values it
// sends as the status message, as the map wrapper does.
class DemoMapSink : public mapview::MapSink {
 public:
  int ConnectTest() override { return 1; }
  void OnInitHtml() override { ++init_html; }
  std::string GetMapURL() override;
  std::vector<recording::GpsSample> GetGPSData() override { return track; }
  std::optional<std::vector<recording::GpsSample>> GetGridData() override { return track; }
  int GetRelJpgNum() override { return frame; }
  void OnClickCrashPoint(int, int, int, int, double, double, double, double) override {}
  bool SetSend() override;

  std::vector<recording::GpsSample> track;
  int frame = -1;
  int init_html = 0;
  mapview::MapWindow* window = nullptr;
  double lat = 0.0;
  double lng = 0.0;
};

// A drive of the sample card's model: one fix every `step` seconds, frame
// numbers counting the fixes.
std::vector<recording::GpsSample> DemoTrack(int fixes, double step_seconds);

}  // namespace mapdemo
