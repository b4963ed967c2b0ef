#include "mapview/ui/CGSensorDlg.h"

#include <QMouseEvent>
#include <QPainter>
#include <utility>

#include "mapview/GraphPlan.h"
#include "mapview/GraphScale.h"
#include "mapview/MarkerKind.h"
#include "recording/SensorDataFile.h"
#include "viewer/skin/CResourceImage.h"
#include "viewer/skin/ColorRef.h"

namespace mapview {
namespace {

const QColor kBandColour(170, 0, 0, 127);  // about half opaque
constexpr int kBandHeight = 21;
// Labels sit at the top, away from the band; each row 10 pixels lower.
constexpr int kLabelTop = 2;
constexpr int kLabelRowStep = 10;
const QColor kCanvas(0x10, 0x10, 0x10);

}  // namespace

CGSensorDlg::CGSensorDlg(QWidget* parent, platform::MessageSink* owner) : QWidget(parent), owner_(owner) {
  setObjectName("graph");
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void CGSensorDlg::SetData(const recording::SensorDataFile& data) { SetSeries(SensorSeries::Copy(data)); }

void CGSensorDlg::SetSeries(SensorSeries series) {
  series_ = std::move(series);
  range_first_ = 0;
  range_count_ = series_.frame_count();
  cursor_ = 0;
  Invalidate();
}

void CGSensorDlg::ClearData() { SetSeries(SensorSeries()); }

void CGSensorDlg::SetRange(std::int64_t first, std::int64_t count) {
  range_first_ = first;
  range_count_ = count;
  update();
}

int CGSensorDlg::CursorX() const { return GraphScale::CursorX(cursor_, range_first_, range_count_, width()); }

void CGSensorDlg::MoveCursor(std::int64_t frame) {
  if (frame == cursor_) return;
  const int old_x = CursorX();
  cursor_ = frame;
  if (CursorInList() != cached_with_data_ && show_data_) {
    Invalidate();
    return;
  }
  update(QRect(old_x, 0, 1, height()));
  update(QRect(CursorX(), 0, 1, height()));
}

void CGSensorDlg::SetZoom(int zoom) {
  zoom = std::clamp(zoom, 0, GraphScale::kMaxZoom);
  if (zoom == zoom_) return;
  zoom_ = zoom;
  Invalidate();
}

void CGSensorDlg::SetShowData(bool on) {
  if (on == show_data_) return;
  show_data_ = on;
  Invalidate();
}

void CGSensorDlg::SetOptionalDetectors(bool on) {
  if (on == detectors_.optional()) return;
  detectors_.set_optional(on);
  Invalidate();
}

void CGSensorDlg::SetEntryFlags(int entry, bool on) {
  detectors_.SetFlags(entry, on);
  Invalidate();
}

void CGSensorDlg::SetThresholds(const recording::SensorDataHeader& header) { detectors_.SetThresholds(header); }

void CGSensorDlg::Invalidate() {
  cache_valid_ = false;
  update();
}

void CGSensorDlg::resizeEvent(QResizeEvent*) { cache_valid_ = false; }

void CGSensorDlg::RenderCache() {
  ++cache_renders_;
  cache_ = QImage(size(), QImage::Format_RGB32);
  cache_.fill(kCanvas);
  QPainter p(&cache_);
  const QImage& tile = viewer::CResourceImage::Get(kGraphTileImage);
  if (!tile.isNull()) {
    // From the right edge leftwards, each copy at a multiple of 5.
    for (int k = 1;; ++k) {
      const int x = ((width() - k * tile.width()) / 5) * 5;
      p.drawImage(x, 0, tile);
      if (x <= 0) break;
    }
  }
  p.drawImage(0, 0, viewer::CResourceImage::Get(kGraphAxisImageFirst + zoom_));
  cached_with_data_ = show_data_ && CursorInList();
  if (cached_with_data_) DrawData(p);
  cache_valid_ = true;
}

void CGSensorDlg::DrawData(QPainter& p) {
  const GraphPlan plan = GraphPlan::Make(series_, detectors_, width(), height(), zoom_);
  for (const GraphPlan::Span& s : plan.band) {
    p.fillRect(QRect(s.left, height() - kBandHeight, s.right - s.left, kBandHeight), kBandColour);
  }
  for (std::size_t a = 0; a < plan.traces.size(); ++a) {
    const auto& line = plan.traces[a];
    if (line.empty()) continue;
    p.setPen(QPen(viewer::ColorFromRef(kAxisColours[a]), 1));
    QPolygon polygon;
    polygon.reserve(static_cast<int>(line.size()));
    for (const GraphPlan::Point& pt : line) polygon << QPoint(pt.x, pt.y);
    if (polygon.size() == 1) {
      p.drawPoint(polygon.front());
    } else {
      p.drawPolyline(polygon);
    }
  }
  const QImage picture = viewer::CResourceImage::Keyed(kGraphKind11Image);
  const QFontMetrics metrics(font());
  for (const GraphPlan::Marker& m : plan.markers) {
    const MarkerKind* kind = FindMarkerKind(m.kind);
    if (kind == nullptr || m.x < GraphScale::kLeftMargin) continue;
    p.setPen(QPen(viewer::ColorFromRef(kind->colour), 1));
    p.drawLine(m.x, height() - 1, m.x, 0);
    const int top = kLabelTop + kind->label_row * kLabelRowStep;
    if (kind->picture) {
      p.drawImage(m.x + 1, top, picture);
    } else {
      p.setPen(Qt::white);
      p.drawText(m.x + 1, top + metrics.ascent(),
                 QString::fromUtf8(kind->label.data(), static_cast<qsizetype>(kind->label.size())));
    }
  }
}

void CGSensorDlg::paintEvent(QPaintEvent*) {
  if (width() <= 0 || height() <= 0) return;
  if (!cache_valid_ || cache_.size() != size()) RenderCache();
  QPainter p(this);
  p.drawImage(0, 0, cache_);
  p.setPen(QPen(Qt::white, 1));
  const int x = CursorX();
  p.drawLine(x, 0, x, height() - 1);
}

void CGSensorDlg::mouseReleaseEvent(QMouseEvent* event) {
  if (clicks_disabled_ || owner_ == nullptr) return;
  if (event->button() == Qt::LeftButton) owner_->Post(kGraphLeftButtonUp, 0, 0);
  if (event->button() == Qt::RightButton) owner_->Post(kGraphRightButtonUp, 0, 0);
}

}  // namespace mapview
