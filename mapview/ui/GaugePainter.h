#pragma once

#include <QPainter>
#include <QRect>
#include <QString>

namespace mapview {

// The combo box text of a reading kind 0-4.
QString GaugeLabel(int kind);

// Draws the gauge of a kind showing value into its column: a dial over the
// kind's range, the needle at value and the value written under it.
void PaintGauge(QPainter& painter, const QRect& column, int kind, int value);

}  // namespace mapview
