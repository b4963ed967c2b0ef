#pragma once

#include <QByteArray>
#include <QHash>
#include <QWebEngineUrlSchemeHandler>
#include <functional>
#include <string_view>

#include "mapview/HostWebViewObject.h"
#include "mapview/MapTileSetting.h"

namespace mapview {

// Serves the map's origin: the page, the map layer (Leaflet, the tile
// settings and our google.maps layer in one script), Leaflet's style sheet
// and images, and the page's host calls ("/call/<method>?args=<JSON array>",
// answered with JSON). Only GET requests from the map's own origin are
// answered; the page itself may also be opened by the viewer.
class MapSchemeHandler : public QWebEngineUrlSchemeHandler {
 public:
  MapSchemeHandler(HostWebViewObject* host, MapTileSetting tiles, QObject* parent = nullptr);

  // Called after every host call that succeeded, with its method name.
  void set_on_call(std::function<void(std::string_view method)> on_call) { on_call_ = std::move(on_call); }

  void requestStarted(QWebEngineUrlRequestJob* job) override;

 private:
  QByteArray LayerScript();
  // A file of the installed Leaflet; empty when it cannot be read.
  QByteArray LeafletFile(const QString& relative);

  HostWebViewObject* host_;
  MapTileSetting tiles_;
  std::function<void(std::string_view)> on_call_;
  QHash<QString, QByteArray> leaflet_files_;
};

}  // namespace mapview
