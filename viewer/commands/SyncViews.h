#pragma once

namespace viewer {

// What the views show for one frame (the info panel's values and the map's
// position).
struct ShownValues {
  int frame = 0;  // the shown sample index
  bool has_sample = false;
  // Acceleration in G; -5.0 each without a sample.
  double x = -5.0, y = -5.0, z = -5.0;
  char status = 0;  // the sample's extra byte, shown as a letter
  bool gps_valid = false;
  double gps_speed = -1.0;  // km/h; -1.0 without a valid fix
  double latitude = 0.0, longitude = 0.0, direction = 0.0;  // only with a valid fix
};

// The views that follow the playback position: the main window forwards
// each to its control (the position slider, the graph, the info panel, the
// map). Every call does nothing until a view takes it.
class SyncViews {
 public:
  virtual ~SyncViews() = default;
  // The values of the frame now shown (the panel redraws, the map moves or
  // hides by gps_valid).
  virtual void ShowValues(const ShownValues& values) { (void)values; }
  // The position slider's thumb.
  virtual void MoveSlider(int frame) { (void)frame; }
  // The graph's cursor.
  virtual void MoveCursor(int frame) { (void)frame; }
  // The sample range [first, first + count) of a recording that starts (the
  // slider's and the graph's range).
  virtual void SetRange(int first, int count) { (void)first, (void)count; }
  // Playback entered (true) or left (false) the zone near the end in which
  // commands are refused: disable the controls once, or recompute them once.
  virtual void GuardZoneChanged(bool entered) { (void)entered; }
};

}  // namespace viewer
