#include "viewer/window/MapWindowFactory.h"

#include "viewer/window/PlaceholderMapWindow.h"

namespace viewer {

// PLACEHOLDER: the runtime rule chooses between the web and the native
// window once both are built in.
MapWindowKind ChooseMapWindowKind() { return MapWindowKind::kWeb; }

// PLACEHOLDER: both kinds are a blank window until the real ones are built
// in (the web one takes on_engine_failed, the native one the sink).
CreatedMapWindow CreateMapWindow(MapWindowKind, QWidget* parent, mapview::MapSink*, std::function<void()>) {
  auto window = std::make_unique<PlaceholderMapWindow>(parent);
  mapview::MapWindow* map = window.get();
  return {std::move(window), map};
}

}  // namespace viewer
