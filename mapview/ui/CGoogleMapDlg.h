#pragma once

#include <QImage>
#include <QPainter>
#include <QPointF>
#include <QRectF>
#include <QTimer>
#include <QWidget>
#include <optional>
#include <string>

#include "mapview/MapSink.h"
#include "mapview/MapWindow.h"
#include "mapview/NativeMapPage.h"

namespace mapview {

// The map window for when the browser engine cannot run: it draws what the
// map page would draw - the group track, the played and unplayed track of
// the current recording, the position marker and the event markers - on a
// plain background with a scale bar, in a view fitted to the tracks (equirectangular, the
// longitude scaled by the cosine of the latitude). The wheel zooms, a drag
// pans, and zoomed in the view follows the marker when it leaves the window;
// a click on an event marker goes to the host. It reports page-ready
// itself right after it is created. UI thread only.
class CGoogleMapDlg : public QWidget, public MapWindow {
 public:
  static constexpr QRgb kBackground = 0xFFE9E5DC;
  static constexpr int kPositionImage = 187;
  static constexpr int kShadowImage = 186;
  // The scale bar: its colour, and where its left end and its base line are.
  static constexpr QRgb kScaleInk = 0xFF3C3C3C;
  static constexpr int kScaleLeft = 8;
  static constexpr int kScaleBottom = 6;

  // The sink (the map wrapper) outlives the window.
  CGoogleMapDlg(QWidget* parent, MapSink* sink);

  void ExecScript(const std::string& statement) override;
  void UpdateData(double lat, double lng, const std::string& status_text) override;
  // No page listens for status messages: the fields are read directly.
  bool PostWebMessage(const std::string&) override { return false; }
  // Nothing is fetched from the network here; the mark is kept, not shown.
  void SetOnlineMark(bool reachable) override { online_ = reachable; }
  bool online_mark() const { return online_; }
  void ShowMapWindow(bool show) override { setVisible(show); }
  bool IsMapWindowVisible() const override { return !isHidden(); }

  // What the page's show() does once a second; the window's timer calls it.
  void RunRound();

  const NativeMapPage& page() const { return page_; }
  // Where a position is drawn in the window now.
  QPointF ToWidget(double lat, double lng) const;
  // At the view's centre, as the scale bar shows it.
  double MetresPerPixel() const;
  // The picture of an event marker kind (0-13).
  static int IconImage(int icolor);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  struct Bounds {
    double south = 0.0, north = 0.0, west = 0.0, east = 0.0;
    bool operator==(const Bounds&) const = default;
  };

  // The box around the tracks and event markers (or the marker alone).
  std::optional<Bounds> ContentBounds() const;
  // Fits the view to the content; a user's zoom and pan are kept while the
  // content's box stays the same.
  void Refit();
  // The group track's lines, or the current recording's.
  void DrawLines(QPainter& p, bool group) const;
  void DrawScaleBar(QPainter& p) const;
  // Zoomed in, pans the marker into the middle when it is outside the window.
  void KeepMarkerInView();
  // Where the content's centre is drawn before the user's pan.
  QPointF ViewCentre() const;

  NativeMapPage page_;
  QTimer round_;
  bool online_ = false;

  std::optional<Bounds> bounds_;
  double centre_lat_ = 0.0;
  double centre_lng_ = 0.0;
  double x_scale_ = 1.0;    // cos of the centre's latitude
  double pixels_ = 1.0;     // pixels per degree of latitude at zoom 1
  double zoom_ = 1.0;       // the user's wheel zoom
  QPointF pan_;             // the user's drag, in pixels
  QPointF press_;           // where the left button went down
  bool dragging_ = false;
  QImage group_layer_;  // background and group track at the current view
  bool group_layer_stale_ = true;
  std::uint64_t group_layer_version_ = 0;  // the model's group version drawn
};

}  // namespace mapview
