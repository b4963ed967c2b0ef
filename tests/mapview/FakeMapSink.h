#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "mapview/MapSink.h"
#include "recording/SensorSamples.h"

namespace mapview {

// One GPS record as the page draws it: frame number in the time field.
inline recording::GpsSample Fix(double lat, double lng, int frame, int valid = 1) {
  recording::GpsSample sample;
  sample.latitude = lat;
  sample.longitude = lng;
  sample.time = frame;
  sample.fix_valid = valid;
  return sample;
}

// A map sink that answers from its fields and keeps what the page asked.
class FakeMapSink : public MapSink {
 public:
  struct Click {
    int ifile, igrid, ipos, valid;
    double lat, lng, speed, direction;
  };

  int ConnectTest() override {
    ++connect_tests;
    return connected;
  }
  void OnInitHtml() override { ++init_html; }
  std::string GetMapURL() override { return map_url; }
  std::vector<recording::GpsSample> GetGPSData() override { return group; }
  std::optional<std::vector<recording::GpsSample>> GetGridData() override { return grid; }
  int GetRelJpgNum() override { return frame; }
  void OnClickCrashPoint(int ifile, int igrid, int ipos, int valid, double lat, double lng, double speed,
                         double direction) override {
    clicks.push_back({ifile, igrid, ipos, valid, lat, lng, speed, direction});
  }
  bool SetSend() override {
    ++set_sends;
    if (on_set_send) return on_set_send();
    return send_result;
  }

  int connected = 1;
  std::string map_url = "brennovale://map/gmaps.js?callback=loadLibs";
  std::vector<recording::GpsSample> group;
  std::optional<std::vector<recording::GpsSample>> grid;
  int frame = -1;
  bool send_result = true;
  std::function<bool()> on_set_send;

  int connect_tests = 0;
  int init_html = 0;
  int set_sends = 0;
  std::vector<Click> clicks;
};

}  // namespace mapview
