#pragma once

#include <QWidget>
#include <functional>
#include <memory>

#include "mapview/MapSink.h"
#include "mapview/MapWindow.h"

namespace viewer {

// Which map window to make: the page in the browser engine, or the native
// drawing of the same pieces.
enum class MapWindowKind { kWeb, kNative };

// A map window as made: the widget (a child of the main window, owned here)
// and its map operations, which are the same object.
struct CreatedMapWindow {
  std::unique_ptr<QWidget> widget;
  mapview::MapWindow* map = nullptr;
};

// Makes a map window of kind as a child of parent, answering the page's
// calls through sink. on_engine_failed is called (UI thread) when a web
// window finds that the browser engine cannot show the page; native windows
// never call it.
using MapWindowFactory = std::function<CreatedMapWindow(MapWindowKind kind, QWidget* parent, mapview::MapSink* sink,
                                                        std::function<void()> on_engine_failed)>;

// The kind the program starts with.
MapWindowKind ChooseMapWindowKind();
// The program's factory.
CreatedMapWindow CreateMapWindow(MapWindowKind kind, QWidget* parent, mapview::MapSink* sink,
                                 std::function<void()> on_engine_failed);

}  // namespace viewer
