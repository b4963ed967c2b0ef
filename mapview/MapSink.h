#pragma once

#include <optional>
#include <string>
#include <vector>

#include "recording/SensorSamples.h"

namespace mapview {

// What the map page may ask of the viewer, one operation per host call of
// the page. The map wrapper answers them; the web window's host object turns
// the page's calls into these, the native window calls them directly. Every
// call arrives on the UI thread.
class MapSink {
 public:
  virtual ~MapSink() = default;

  // Nonzero when the page may build its map; zero also clears page-ready.
  virtual int ConnectTest() = 0;
  // The page has built its map: page-ready set, WM_MAP_PAGE_READY posted.
  virtual void OnInitHtml() = 0;
  // The address of the map layer's script, ending in "callback=loadLibs".
  virtual std::string GetMapURL() = 0;
  // Every GPS record of the recordings of the list, copied under the lock.
  virtual std::vector<recording::GpsSample> GetGPSData() = 0;
  // The current recording's GPS records; nullopt when it has no sample list.
  virtual std::optional<std::vector<recording::GpsSample>> GetGridData() = 0;
  // The frame now shown within the current recording (-1: none).
  virtual int GetRelJpgNum() = 0;
  // An event marker was clicked: WM_MAP_CRASH_POINT with lParam = ipos.
  virtual void OnClickCrashPoint(int ifile, int igrid, int ipos, int valid, double lat, double lng, double speed,
                                 double direction) = 0;
  // Sends the status message to the page; false when it cannot be sent.
  virtual bool SetSend() = 0;
};

}  // namespace mapview
