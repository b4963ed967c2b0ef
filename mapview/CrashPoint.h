#pragma once

namespace mapview {

// One event marker of the map, with the arguments the host gave it, in the
// order of the page's AddCrashPos.
struct CrashPoint {
  int icolor = 0;  // marker kind, 0-13
  double levelx = 0.0, levely = 0.0, levelz = 0.0;  // G
  int ifile = 0, igrid = 0, ipos = 0;               // where in the recordings
  double lat = 0.0, lng = 0.0;
  int valid = 0;  // the fix's valid flag
  double speed = 0.0, direction = 0.0;
};

}  // namespace mapview
