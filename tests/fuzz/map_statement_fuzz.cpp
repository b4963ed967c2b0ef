#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "mapview/MapSink.h"
#include "mapview/MapStatement.h"
#include "mapview/NativeMapPage.h"

namespace {

// A host with a short track, so that statements that pass do real work.
class TrackSink : public mapview::MapSink {
 public:
  int ConnectTest() override { return 1; }
  void OnInitHtml() override {}
  std::string GetMapURL() override { return {}; }
  std::vector<recording::GpsSample> GetGPSData() override { return Track(); }
  std::optional<std::vector<recording::GpsSample>> GetGridData() override { return Track(); }
  int GetRelJpgNum() override { return 2; }
  void OnClickCrashPoint(int, int, int, int, double, double, double, double) override {}
  bool SetSend() override { return false; }

 private:
  static std::vector<recording::GpsSample> Track() {
    std::vector<recording::GpsSample> track(4);
    for (int i = 0; i < 4; ++i) {
      track[i].latitude = 35.5 + i * 0.001;
      track[i].longitude = 139.25;
      track[i].fix_valid = 1;
      track[i].time = i;
    }
    return track;
  }
};

}  // namespace

// Any text the window is handed: a statement is either one of the page's six
// exactly, or refused, and the window runs exactly what the parser accepts;
// whatever ran, moving the marker and clicking must stay inside the lists.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto statement = mapview::MapStatement::Parse(text);
  static TrackSink sink;
  mapview::NativeMapPage page(&sink);
  const bool ran = page.Execute(text);
  if (ran != statement.has_value()) __builtin_trap();
  page.Execute("orbitgrplist.MoveMarker()");
  page.Round();
  if (!page.model().crash_points().empty()) page.ClickCrashPoint(0);
  return 0;
}
