#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "mapview/CrashPoint.h"
#include "mapview/MapScript.h"
#include "mapview/MapSink.h"
#include "recording/SensorSamples.h"

namespace mapview {

// One GPS record as the map draws it: the frame number in the time field.
inline recording::GpsSample Fix(double lat, double lng, int frame, int valid = 1) {
  recording::GpsSample sample;
  sample.latitude = lat;
  sample.longitude = lng;
  sample.time = frame;
  sample.fix_valid = valid;
  return sample;
}

// A map sink that answers from its fields and records what the map asked.
class FakeMapSink : public MapSink {
 public:
  int ConnectTest() override {
    ++connect_tests;
    return connected;
  }
  void OnInitHtml() override { ++init_html; }
  std::string GetMapURL() override { return map_url; }
  std::vector<recording::GpsSample> GetGPSData() override { return group; }
  std::optional<std::vector<recording::GpsSample>> GetGridData() override { return grid; }
  int GetRelJpgNum() override {
    ++frame_requests;
    return frame;
  }
  void OnClickCrashPoint(int ifile, int igrid, int ipos, int valid, double lat, double lng, double speed,
                         double direction) override {
    CrashPoint click;
    click.ifile = ifile;
    click.igrid = igrid;
    click.ipos = ipos;
    click.valid = valid;
    click.lat = lat;
    click.lng = lng;
    click.speed = speed;
    click.direction = direction;
    clicks.push_back(click);
  }
  bool SetSend() override {
    ++set_sends;
    if (on_set_send) return on_set_send();
    return send_result;
  }

  // The host's statement for one event marker with fixed G values.
  static std::string AddCrashPos(int icolor, double lat, double lng, int ipos, int valid = 1) {
    CrashPoint point;
    point.icolor = icolor;
    point.levelx = 0.5;
    point.levely = -0.25;
    point.levelz = 0.1;
    point.ifile = 1;
    point.igrid = 2;
    point.ipos = ipos;
    point.lat = lat;
    point.lng = lng;
    point.valid = valid;
    point.speed = 40.0;
    point.direction = 90.0;
    return MapScript::AddCrashPos(point).value_or("");
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
  int frame_requests = 0;
  int set_sends = 0;
  std::vector<CrashPoint> clicks;
};

}  // namespace mapview
