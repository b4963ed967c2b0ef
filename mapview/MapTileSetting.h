#pragma once

#include <string>

namespace mapview {

// Where the map's background tiles come from: section "MAP", key "TILES",
// an address template with {z}, {x}, {y} (and optionally {s}). The default is
// held here and never written to the settings file; an empty value means no
// tiles at all (a plain background, and no connection probe).
struct MapTileSetting {
  std::string url;          // empty: no tiles
  std::string attribution;  // HTML shown in the map's corner
  int max_zoom = 19;
};

inline constexpr char kSectionMap[] = "MAP";
inline constexpr char kKeyTiles[] = "TILES";
inline constexpr char kDefaultTileUrl[] = "https://tile.openstreetmap.org/{z}/{x}/{y}.png";

MapTileSetting ReadMapTileSetting();

}  // namespace mapview
