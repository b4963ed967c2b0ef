#pragma once

#include <array>
#include <charconv>
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

  // The host's statement for one event marker, numbers as "%d" and "%f"
  // write them in the C locale.
  static std::string AddCrashPos(int icolor, double lat, double lng, int ipos, int valid = 1) {
    const auto fixed = [](double v) {
      std::array<char, 64> digits{};
      const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), v, std::chars_format::fixed, 6).ptr;
      return std::string(digits.data(), end);
    };
    return "cplist.AddCrashPos(" + std::to_string(icolor) + ",0.500000,-0.250000,0.100000,1,2," +
           std::to_string(ipos) + "," + fixed(lat) + "," + fixed(lng) + "," + std::to_string(valid) +
           ",40.000000,90.000000)";
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
