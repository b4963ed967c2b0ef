#include "viewer/window/MapWindowFactory.h"

#include <QLibraryInfo>
#include <cstdio>

#include "mapview/MapEngineChoice.h"
#include "mapview/ui/CGoogleMapDlg.h"
#include "mapview/ui/CGoogleMapDlg2.h"
#include "mapview/ui/MapScheme.h"

namespace viewer {

MapWindowKind ChooseMapWindowKind() {
  const std::filesystem::path helper =
      std::filesystem::path(QLibraryInfo::path(QLibraryInfo::LibraryExecutablesPath).toStdString()) /
      "QtWebEngineProcess";
  const auto choice = mapview::MapEngineChoice::Choose(mapview::MapEngineChoice::FromEnvironment(helper));
  if (choice.engine == mapview::MapEngineChoice::Engine::kWeb) {
    // The page lives on a scheme that only main() can register.
    if (mapview::MapSchemeRegistered()) return MapWindowKind::kWeb;
    std::fprintf(stderr, "brennovale: native map: the map page's scheme is not registered in this program\n");
    return MapWindowKind::kNative;
  }
  if (!choice.reason.empty()) std::fprintf(stderr, "brennovale: native map: %s\n", choice.reason.c_str());
  return MapWindowKind::kNative;
}

CreatedMapWindow CreateMapWindow(MapWindowKind kind, QWidget* parent, mapview::MapSink* sink,
                                 std::function<void()> on_engine_failed) {
  if (kind == MapWindowKind::kWeb) {
    auto window = std::make_unique<mapview::CGoogleMapDlg2>(parent, sink);
    window->set_on_engine_failed(std::move(on_engine_failed));
    mapview::MapWindow* map = window.get();
    return {std::move(window), map};
  }
  auto window = std::make_unique<mapview::CGoogleMapDlg>(parent, sink);
  mapview::MapWindow* map = window.get();
  return {std::move(window), map};
}

}  // namespace viewer
