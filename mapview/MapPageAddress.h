#pragma once

namespace mapview {

// The map page, its layer and its host calls live on one origin of a scheme
// of the program's own, so the page works without any network and network
// content can never reach it.
inline constexpr char kMapScheme[] = "brennovale";
inline constexpr char kMapHost[] = "map";
inline constexpr char kMapOrigin[] = "brennovale://map";
inline constexpr char kMapPageUrl[] = "brennovale://map/index.html";
// What JS2C_GetMapURL answers: the page inserts it as a script element, and
// the layer calls the function named by "callback" once it is ready.
inline constexpr char kMapLayerUrl[] = "brennovale://map/gmaps.js?callback=loadLibs";

}  // namespace mapview
