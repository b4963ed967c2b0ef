#include "mapview/ui/CGoogleMapDlg.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPolygonF>
#include <QWheelEvent>
#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "mapview/MapScaleBar.h"
#include "mapview/MarkerKind.h"
#include "viewer/skin/CResourceImage.h"

namespace mapview {
namespace {

constexpr int kRoundMs = 1000;
// The markers stand above their point: room above the content for them.
constexpr double kPadSide = 24.0;
constexpr double kPadTop = 40.0;
constexpr double kPadBottom = 16.0;
// A track shorter than this (about 200 m) is shown at this span.
constexpr double kMinSpanDegrees = 0.002;
constexpr double kDragStart = 4.0;  // pixels before a press becomes a drag
constexpr double kZoomStep = 1.25;  // per wheel notch
constexpr double kMinPixelStep = 1.0;
constexpr double kScaleRoom = 100.0;  // the scale bar's longest, in pixels

// Kinds 0-4 (impact by axis) share one picture.
constexpr std::array<int, kMarkerKindCount> kIconImages = {183, 183, 183, 183, 183, 185, 182, 216, 221, 329, 330, 184, 180, 181};

// Pictures are 32 x 32 with the tip at (16, 32); the shadow is 49 x 32 with
// its foot at the same point.
constexpr QPointF kAnchor(16.0, 32.0);
constexpr QSizeF kIconSize(32.0, 32.0);

QColor ColourOf(TrackModel::LineKind kind) {
  switch (kind) {
    case TrackModel::LineKind::kPlayed: return QColor(0x00, 0x00, 0xFF);
    case TrackModel::LineKind::kUnplayed: return QColor(0xFF, 0x00, 0x00, static_cast<int>(0.9 * 255 + 0.5));
    case TrackModel::LineKind::kGroup: break;
  }
  return QColor(0xFF, 0x00, 0x00, static_cast<int>(0.5 * 255 + 0.5));
}

}  // namespace

CGoogleMapDlg::CGoogleMapDlg(QWidget* parent, MapSink* sink) : QWidget(parent), page_(sink) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  round_.setInterval(kRoundMs);
  connect(&round_, &QTimer::timeout, this, [this] { RunRound(); });
  round_.start();
  // The first round reports page-ready, as the page does once its map exists.
  QTimer::singleShot(0, this, [this] { RunRound(); });
}

int CGoogleMapDlg::IconImage(int icolor) {
  return icolor >= 0 && icolor < static_cast<int>(kIconImages.size()) ? kIconImages[static_cast<std::size_t>(icolor)]
                                                                      : kIconImages[2];
}

void CGoogleMapDlg::ExecScript(const std::string& statement) {
  if (!page_.Execute(statement)) return;
  Refit();
  KeepMarkerInView();
  update();
}

void CGoogleMapDlg::UpdateData(double lat, double lng, const std::string& status_text) {
  page_.UpdateData(lat, lng, status_text);
}

void CGoogleMapDlg::RunRound() {
  const std::uint64_t moves = page_.marker_moves();
  page_.Round();
  if (page_.marker_moves() == moves) return;  // paused: nothing to draw again
  if (!bounds_) Refit();                      // a marker without a track
  KeepMarkerInView();
  update();
}

void CGoogleMapDlg::KeepMarkerInView() {
  // The fitted view holds the whole track; only zoomed in can the marker run
  // out of the window. Then the view follows it as the page pans to it, but
  // only when it leaves, so that the picture does not jump every second.
  const auto& marker = page_.model().marker();
  if (!marker || zoom_ <= 1.0) return;
  const QPointF at = ToWidget(marker->lat, marker->lng);
  if (QRectF(rect()).contains(at)) return;
  pan_ += ViewCentre() - at;
  group_layer_stale_ = true;
}

std::optional<CGoogleMapDlg::Bounds> CGoogleMapDlg::ContentBounds() const {
  std::optional<Bounds> box;
  const auto add = [&box](double lat, double lng) {
    if (!box) {
      box = Bounds{lat, lat, lng, lng};
      return;
    }
    box->south = std::min(box->south, lat);
    box->north = std::max(box->north, lat);
    box->west = std::min(box->west, lng);
    box->east = std::max(box->east, lng);
  };
  const TrackModel& model = page_.model();
  for (const GpsPoint& p : model.group_points()) add(p.lat, p.lng);
  for (const GpsPoint& p : model.grid_points()) add(p.lat, p.lng);
  for (const CrashPoint& c : model.crash_points()) add(c.lat, c.lng);
  if (!box && model.marker()) add(model.marker()->lat, model.marker()->lng);
  return box;
}

void CGoogleMapDlg::Refit() {
  const std::optional<Bounds> box = ContentBounds();
  const std::optional<Bounds> old_bounds = bounds_;
  if (box != bounds_) {
    zoom_ = 1.0;
    pan_ = {};
  }
  bounds_ = box;
  if (!box) return;
  centre_lat_ = (box->south + box->north) / 2.0;
  centre_lng_ = (box->west + box->east) / 2.0;
  x_scale_ = std::max(std::cos(centre_lat_ * std::numbers::pi / 180.0), 0.01);
  const double old_pixels = pixels_;
  const double span_lat = std::max(box->north - box->south, kMinSpanDegrees);
  const double span_x = std::max((box->east - box->west) * x_scale_, kMinSpanDegrees);
  const double w = std::max(width() - 2.0 * kPadSide, 1.0);
  const double h = std::max(height() - kPadTop - kPadBottom, 1.0);
  pixels_ = std::min(w / span_x, h / span_lat);
  if (box != old_bounds || pixels_ != old_pixels) group_layer_stale_ = true;
}

QPointF CGoogleMapDlg::ViewCentre() const {
  return {kPadSide + (width() - 2.0 * kPadSide) / 2.0, kPadTop + (height() - kPadTop - kPadBottom) / 2.0};
}

QPointF CGoogleMapDlg::ToWidget(double lat, double lng) const {
  const QPointF offset((lng - centre_lng_) * x_scale_ * pixels_, -(lat - centre_lat_) * pixels_);
  return ViewCentre() + pan_ + offset * zoom_;
}

void CGoogleMapDlg::DrawLines(QPainter& p, bool group) const {
  const TrackModel& model = page_.model();
  for (const TrackModel::Line& line : model.Lines()) {
    if ((line.kind == TrackModel::LineKind::kGroup) != group) continue;
    const std::vector<GpsPoint>& points = group ? model.group_points() : model.grid_points();
    // A one-point line shows nothing, as a one-point polyline on the page.
    if (line.end <= line.start || line.end >= points.size()) continue;
    // Points closer than a pixel to the last one kept add nothing but time
    // (an hour's track fitted into the window is thousands per pixel).
    QPolygonF polyline;
    polyline << ToWidget(points[line.start].lat, points[line.start].lng);
    for (std::size_t i = line.start + 1; i <= line.end; ++i) {
      const QPointF at = ToWidget(points[i].lat, points[i].lng);
      if (i == line.end || (at - polyline.back()).manhattanLength() >= kMinPixelStep) polyline << at;
    }
    p.setPen(QPen(ColourOf(line.kind), 3.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(polyline);
  }
}

void CGoogleMapDlg::paintEvent(QPaintEvent*) {
  // The background and the group track change only with the tracks and the
  // view; the marker's move every second draws over a copy of them.
  if (group_layer_stale_ || group_layer_.size() != size() || group_layer_version_ != page_.model().group_version()) {
    group_layer_ = QImage(size(), QImage::Format_RGB32);
    group_layer_.fill(QColor::fromRgb(kBackground));
    QPainter layer(&group_layer_);
    layer.setRenderHint(QPainter::Antialiasing);
    DrawLines(layer, true);
    group_layer_stale_ = false;
    group_layer_version_ = page_.model().group_version();
  }
  QPainter p(this);
  p.drawImage(0, 0, group_layer_);
  p.setRenderHint(QPainter::Antialiasing);
  const TrackModel& model = page_.model();
  // The current recording over the group track, as the page's z-indices have it.
  DrawLines(p, false);

  const QImage& shadow = viewer::CResourceImage::Get(kShadowImage);
  for (const CrashPoint& c : model.crash_points()) p.drawImage(ToWidget(c.lat, c.lng) - kAnchor, shadow);
  for (const CrashPoint& c : model.crash_points()) {
    p.drawImage(ToWidget(c.lat, c.lng) - kAnchor, viewer::CResourceImage::Get(IconImage(c.icolor)));
  }
  if (model.marker()) {
    p.drawImage(ToWidget(model.marker()->lat, model.marker()->lng) - kAnchor,
                viewer::CResourceImage::Get(kPositionImage));
  }
  if (bounds_) DrawScaleBar(p);
}

void CGoogleMapDlg::DrawScaleBar(QPainter& p) const {
  const MapScaleBar bar = MapScaleBar::Choose(MetresPerPixel(), kScaleRoom);
  if (bar.metres <= 0.0) return;
  const QColor ink = QColor::fromRgb(kScaleInk);
  const int left = kScaleLeft;
  const int right = left + static_cast<int>(std::lround(bar.pixels));
  const int base = height() - kScaleBottom;
  p.setRenderHint(QPainter::Antialiasing, false);
  p.fillRect(QRect(left, base - 1, right - left, 2), ink);
  p.fillRect(QRect(left, base - 6, 2, 6), ink);
  p.fillRect(QRect(right - 2, base - 6, 2, 6), ink);
  QFont font = p.font();
  font.setPixelSize(10);
  p.setFont(font);
  p.setPen(ink);
  p.drawText(QRect(left + 4, base - 18, 100, 12), Qt::AlignLeft | Qt::AlignVCenter, QString::fromStdString(bar.text));
}

double CGoogleMapDlg::MetresPerPixel() const { return MapScaleBar::kMetresPerDegree / (pixels_ * zoom_); }

void CGoogleMapDlg::resizeEvent(QResizeEvent*) { Refit(); }

void CGoogleMapDlg::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  press_ = event->position();
  dragging_ = false;
}

void CGoogleMapDlg::mouseMoveEvent(QMouseEvent* event) {
  if (!(event->buttons() & Qt::LeftButton)) return;
  const QPointF delta = event->position() - press_;
  if (!dragging_ && std::hypot(delta.x(), delta.y()) < kDragStart) return;
  dragging_ = true;
  pan_ += delta;
  group_layer_stale_ = true;
  press_ = event->position();
  update();
}

void CGoogleMapDlg::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || dragging_) {
    dragging_ = false;
    return;
  }
  // The topmost marker under the pointer: the last drawn.
  const std::vector<CrashPoint>& points = page_.model().crash_points();
  for (std::size_t k = points.size(); k-- > 0;) {
    const QRectF icon(ToWidget(points[k].lat, points[k].lng) - kAnchor, kIconSize);
    if (icon.contains(event->position())) {
      page_.ClickCrashPoint(k);
      KeepMarkerInView();
      update();
      return;
    }
  }
}

void CGoogleMapDlg::wheelEvent(QWheelEvent* event) {
  const double notches = event->angleDelta().y() / 120.0;
  if (notches == 0.0) return;
  const double factor = std::pow(kZoomStep, notches);
  const double zoom = std::clamp(zoom_ * factor, 0.05, 4096.0);
  // Keep the point under the pointer where it is.
  const QPointF centre = ViewCentre();
  const QPointF at = event->position();
  pan_ = at - centre - (at - centre - pan_) * (zoom / zoom_);
  zoom_ = zoom;
  group_layer_stale_ = true;
  update();
}

}  // namespace mapview
