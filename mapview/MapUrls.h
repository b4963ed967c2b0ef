#pragma once

namespace mapview {

// Where the page loads the map layer from: our own scheme, never the
// network. The query names the page's function the layer calls once loaded.
inline constexpr const char* kMapLayerUrl = "brennovale://map/gmaps.js?callback=loadLibs";

}  // namespace mapview
