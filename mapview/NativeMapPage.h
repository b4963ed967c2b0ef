#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "mapview/MapSink.h"
#include "mapview/TrackModel.h"

namespace mapview {

// What the map page does, for a map window that draws the tracks itself:
// the host's statements run on the track model, a once-a-second round reads
// the position and play state the host wrote, and a click on an event
// marker goes back to the host. No browser, no script.
class NativeMapPage {
 public:
  explicit NativeMapPage(MapSink* sink) : sink_(sink) {}

  // Runs one host statement; false (and nothing done) for any text that is
  // not one of the page's statements.
  bool Execute(std::string_view statement);
  // The hidden fields: position and play-state text ("", "pause", "stop").
  void UpdateData(double lat, double lng, const std::string& status);
  // One run of the page's show(): reports page-ready on the first round
  // that finds the host connected, then moves the marker while playing.
  // The native window sends no status request: the host writes the fields.
  void Round();
  // The event marker `index` of the model was clicked: the host is told,
  // and the marker follows when the point's fix is valid.
  void ClickCrashPoint(std::size_t index);

  const TrackModel& model() const { return model_; }
  // How often the marker was placed: a window repaints when this changes.
  std::uint64_t marker_moves() const { return marker_moves_; }

 private:
  // The page's ConnectTest: page-ready is reported once per connection.
  bool Connect();
  void MoveMarker();

  MapSink* sink_;
  TrackModel model_;
  double lat_ = 0.0;
  double lng_ = 0.0;
  std::string status_ = "ready";
  bool page_ready_ = false;
  bool started_ = false;  // the round for a host without a position has run
  std::uint64_t marker_moves_ = 0;
};

}  // namespace mapview
