#pragma once

#include <string_view>

namespace mapview {

// The map page's own files, built into the program: "index.html" (icons
// inlined), "gmaps.js" (the map layer, without Leaflet and the tile
// settings) and "shim.js". Empty for any other name.
std::string_view MapPageFile(std::string_view name);

}  // namespace mapview
