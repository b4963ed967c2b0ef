#include "tools/mapdemo/DemoMapSink.h"

#include <charconv>

#include "tools/samplecard/DriveModel.h"
#include "mapview/MapPageAddress.h"

namespace mapdemo {

namespace {

std::string Fixed6(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6);
  return std::string(buffer, result.ptr);
}

}  // namespace

std::string DemoMapSink::GetMapURL() { return mapview::kMapLayerUrl; }

bool DemoMapSink::SetSend() {
  if (window == nullptr) return false;
  return window->PostWebMessage("{\"map_lat\":\"" + Fixed6(lat) + "\",\"map_lng\":\"" + Fixed6(lng) +
                                "\",\"map_status\":\"\",\"val_command\":\"update\",\"val_end\":\"\"}");
}

std::vector<recording::GpsSample> DemoTrack(int fixes, double step_seconds) {
  samplecard::DriveModel drive(7);
  std::vector<recording::GpsSample> track;
  track.reserve(static_cast<std::size_t>(fixes));
  for (int i = 0; i < fixes; ++i) {
    const auto state = drive.At(i * step_seconds, false);
    recording::GpsSample sample;
    sample.index = i;
    sample.time = i;
    sample.fix_valid = 1;
    sample.latitude = state.latitude;
    sample.longitude = state.longitude;
    sample.speed = state.speed_kmh;
    track.push_back(sample);
  }
  return track;
}

}  // namespace mapdemo
