#include "mapview/MapTileSetting.h"

#include "viewer/settings/FolderIni.h"

namespace mapview {

MapTileSetting ReadMapTileSetting() {
  MapTileSetting setting;
  const auto value = viewer::ReadFolderIniIfPresent(kSectionMap, kKeyTiles);
  setting.url = value ? *value : kDefaultTileUrl;
  if (setting.url == kDefaultTileUrl) {
    setting.attribution = "&copy; <a href=\"https://www.openstreetmap.org/copyright\">OpenStreetMap</a> contributors";
  }
  return setting;
}

}  // namespace mapview
