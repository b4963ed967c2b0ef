#pragma once

namespace mapview {

// The sample values of the frame on screen, as the info panel shows them.
// The defaults are the panel's reset: every box shows its placeholder.
struct InfoValues {
  int frame = -1;  // the frame on screen; < 0 = none
  // Acceleration in G; a value <= -5 means "no value".
  double x = -5.0, y = -5.0, z = -5.0;
  int status = 'M';  // the sample's status letter ('R', 'r' or any other)
  bool speed_valid = false;  // the sample has a valid GPS fix
  double speed = -1.0;       // km/h
  // 1-6 select event icon 0-5; any other value shows none. Nothing in the
  // window sets it yet: it stays 0 (no icon) until the event points do.
  int event_kind = 0;
};

}  // namespace mapview
