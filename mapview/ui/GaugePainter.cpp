#include "mapview/ui/GaugePainter.h"

#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <numbers>

#include "mapview/GaugeSlot.h"

namespace mapview {
namespace {

// The dial sweeps 240 degrees clockwise from lower left to lower right.
constexpr double kSweepStart = 210.0;
constexpr double kSweep = 240.0;

QPointF OnDial(const QPointF& centre, double radius, double degrees) {
  const double a = degrees * std::numbers::pi / 180.0;
  return centre + QPointF(radius * std::cos(a), -radius * std::sin(a));
}

}  // namespace

QString GaugeLabel(int kind) {
  const GaugeKind* row = GaugeKindOf(kind);
  if (!row) return {};
  return kind == 2 ? QString("km/h (0-%1)").arg(row->maximum) : QString("0-%1").arg(row->maximum);
}

void PaintGauge(QPainter& painter, const QRect& column, int kind, int value) {
  const GaugeKind* row = GaugeKindOf(kind);
  if (!row) return;
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  const double radius = std::min(column.width(), column.height()) / 2.0 - 8.0;
  const QPointF centre(column.center().x() + 0.5, column.top() + 8.0 + radius);
  painter.setPen(QPen(QColor(90, 90, 100), 2));
  painter.setBrush(QColor(30, 32, 40));
  painter.drawEllipse(centre, radius, radius);

  const double fraction = std::clamp(static_cast<double>(value) / row->maximum, 0.0, 1.0);
  const QRectF arc(centre.x() - radius + 6, centre.y() - radius + 6, 2 * radius - 12, 2 * radius - 12);
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(QColor(70, 70, 80), 5, Qt::SolidLine, Qt::FlatCap));
  painter.drawArc(arc, static_cast<int>(kSweepStart * 16), static_cast<int>(-kSweep * 16));
  painter.setPen(QPen(QColor(0, 170, 230), 5, Qt::SolidLine, Qt::FlatCap));
  painter.drawArc(arc, static_cast<int>(kSweepStart * 16), static_cast<int>(-kSweep * fraction * 16));

  const double needle = kSweepStart - kSweep * fraction;
  painter.setPen(QPen(QColor(240, 80, 40), 3, Qt::SolidLine, Qt::RoundCap));
  painter.drawLine(centre, OnDial(centre, radius - 14, needle));
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(200, 200, 200));
  painter.drawEllipse(centre, 5, 5);

  QFont font = painter.font();
  font.setPixelSize(18);
  font.setBold(true);
  painter.setFont(font);
  painter.setPen(QColor(250, 250, 250));
  const QRectF text(column.left(), centre.y() + radius * 0.35, column.width(), 22);
  painter.drawText(text, Qt::AlignCenter, QString::number(value));
  painter.restore();
}

}  // namespace mapview
