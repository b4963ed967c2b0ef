#pragma once

#include <optional>
#include <string>
#include <vector>

#include "mapview/CrashPoint.h"
#include "mapview/MapSink.h"
#include "recording/SensorSamples.h"

// A map sink that serves fixed tracks and a frame number and records what
// the map asked of it.
class FakeMapSink : public mapview::MapSink {
 public:
  int ConnectTest() override {
    ++connect_tests;
    return connected;
  }
  void OnInitHtml() override { ++init_html; }
  std::string GetMapURL() override { return {}; }
  std::vector<recording::GpsSample> GetGPSData() override { return group; }
  std::optional<std::vector<recording::GpsSample>> GetGridData() override { return grid; }
  int GetRelJpgNum() override {
    ++frame_requests;
    return frame;
  }
  void OnClickCrashPoint(int ifile, int igrid, int ipos, int valid, double lat, double lng, double speed,
                         double direction) override {
    clicks.push_back({0, 0.0, 0.0, 0.0, ifile, igrid, ipos, lat, lng, valid, speed, direction});
  }
  bool SetSend() override {
    ++sends;
    return true;
  }

  // One valid fix per frame.
  static recording::GpsSample Fix(double lat, double lng, int frame, int valid = 1) {
    recording::GpsSample sample;
    sample.latitude = lat;
    sample.longitude = lng;
    sample.time = frame;
    sample.fix_valid = valid;
    return sample;
  }

  int connected = 1;
  std::vector<recording::GpsSample> group;
  std::optional<std::vector<recording::GpsSample>> grid;
  int frame = 0;

  int connect_tests = 0;
  int init_html = 0;
  int frame_requests = 0;
  int sends = 0;
  std::vector<mapview::CrashPoint> clicks;
};
