#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "mapview/JsonArgs.h"
#include "mapview/MapSink.h"
#include "recording/SensorSamples.h"

namespace mapview {

// The host object "sample" of the map page: turns one call of the page (its
// method name and its arguments as a JSON array) into the sink operation and
// the sink's result into JSON. Every call arrives on the UI thread.
class HostWebViewObject {
 public:
  // How the two GPS calls write their array: as the page receives it, or
  // packed for the page's script shim, which unpacks it into that array.
  enum class TrackForm { kArray, kPacked };

  void set_sink(MapSink* sink) { sink_ = sink; }

  // The JSON text of the result ("null" for calls without one); nullopt for a
  // failed call: an unknown method, arguments of the wrong count, type or
  // range, or a sink that reports failure. Without a sink every known call
  // succeeds and answers null.
  std::optional<std::string> Call(std::string_view method, std::string_view json_args,
                                  TrackForm form = TrackForm::kArray);

  // The GPS records whose valid flag is set as [lat, lng, frame, ...,
  // count], count being the number of elements before it; [0] for none.
  // Records whose position is not a finite number are left out like invalid
  // ones: JSON has no way to write them.
  // Positions are written to a ten-millionth of a degree.
  static std::string GpsPointArray(const std::vector<recording::GpsSample>& samples);

  // The same array packed: {"packed":[n, lat, lng, frame, dlat, dlng, dframe,
  // ...]} for n fixes, positions in ten-millionths of a degree, every fix
  // after the first as its differences from the one before. A one-hour track
  // packs to about a third of the array's text, and the shim's unpacking
  // (whole numbers summed, then divided by ten million) gives exactly the
  // numbers the array's text reads as. [0] for none; the plain array when a
  // position lies beyond ±1000 degrees.
  static std::string PackedGpsPointArray(const std::vector<recording::GpsSample>& samples);

 private:
  std::optional<std::string> Dispatch(std::string_view method, const std::vector<JsonArg>& args, TrackForm form);

  MapSink* sink_ = nullptr;
};

}  // namespace mapview
