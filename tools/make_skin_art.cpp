// Draws the skin images under resources/skin: button strips (normal, hover,
// pressed, disabled), slider tracks and thumbs, check boxes and the icons,
// with pure black only where black is the transparent key.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

namespace {

const QColor kKey(0, 0, 0);          // transparent
const QColor kInk(250, 250, 250);    // glyphs
const QColor kBody(44, 72, 112);     // button body
const QColor kBodyHover(66, 104, 156);
const QColor kBodyPressed(28, 48, 80);
const QColor kBodyDisabled(96, 96, 96);
const QColor kAccent(0, 120, 215);   // played part of a track

enum Frame { kNormal, kHover, kPressed, kDisabled };

QColor BodyOf(Frame f) {
  switch (f) {
    case kHover: return kBodyHover;
    case kPressed: return kBodyPressed;
    case kDisabled: return kBodyDisabled;
    default: return kBody;
  }
}

using GlyphPainter = std::function<void(QPainter&, const QRectF&, Frame)>;

// A strip of four frames, each w x h, on the transparent key.
QImage ButtonStrip(int w, int h, double radius, const GlyphPainter& glyph) {
  QImage strip(4 * w, h, QImage::Format_RGB32);
  strip.fill(kKey);
  QPainter p(&strip);
  p.setRenderHint(QPainter::Antialiasing);
  for (int f = 0; f < 4; ++f) {
    const QRectF box(f * w + 0.5, 0.5, w - 1.0, h - 1.0);
    const QPointF shift = f == kPressed ? QPointF(0.5, 0.5) : QPointF();
    QLinearGradient fill(box.topLeft(), box.bottomLeft());
    fill.setColorAt(0, BodyOf(Frame(f)).lighter(125));
    fill.setColorAt(1, BodyOf(Frame(f)));
    p.setPen(QPen(BodyOf(Frame(f)).darker(140), 1));
    p.setBrush(fill);
    p.drawRoundedRect(box.translated(shift), radius, radius);
    glyph(p, box.translated(shift), Frame(f));
  }
  return strip;
}

QColor InkOf(Frame f) { return f == kDisabled ? QColor(170, 170, 170) : kInk; }

void Play(QPainter& p, const QRectF& r, Frame f) {
  QPainterPath tri;
  const QPointF c = r.center();
  const double s = r.height() * 0.22;
  tri.moveTo(c.x() - s * 0.8, c.y() - s);
  tri.lineTo(c.x() + s * 1.1, c.y());
  tri.lineTo(c.x() - s * 0.8, c.y() + s);
  tri.closeSubpath();
  p.fillPath(tri, InkOf(f));
}

void PauseGlyph(QPainter& p, const QRectF& r, Frame f) {
  const QPointF c = r.center();
  const double s = r.height() * 0.22;
  p.fillRect(QRectF(c.x() - s, c.y() - s, s * 0.7, 2 * s), InkOf(f));
  p.fillRect(QRectF(c.x() + s * 0.3, c.y() - s, s * 0.7, 2 * s), InkOf(f));
}

void Cross(QPainter& p, const QRectF& r, Frame f) {
  p.setPen(QPen(InkOf(f), 1.6, Qt::SolidLine, Qt::RoundCap));
  const QRectF in = r.adjusted(r.width() * 0.3, r.height() * 0.28, -r.width() * 0.3, -r.height() * 0.28);
  p.drawLine(in.topLeft(), in.bottomRight());
  p.drawLine(in.topRight(), in.bottomLeft());
}

void Triangle(QPainter& p, QPointF tip, double size, bool right, const QColor& ink) {
  QPainterPath path;
  const double d = right ? size : -size;
  path.moveTo(tip);
  path.lineTo(tip.x() - d, tip.y() - size * 0.9);
  path.lineTo(tip.x() - d, tip.y() + size * 0.9);
  path.closeSubpath();
  p.fillPath(path, ink);
}

// Glyphs of the main bar, drawn in the frame's box.
GlyphPainter Arrows(int count, bool right, bool bar) {
  return [=](QPainter& p, const QRectF& r, Frame f) {
    const QPointF c = r.center();
    const double s = r.height() * 0.18;
    const double start = c.x() - (count - 1) * s * 0.5 + (right ? s * 0.5 : -s * 0.5);
    for (int i = 0; i < count; ++i) Triangle(p, QPointF(start + i * s, c.y()), s, right, InkOf(f));
    if (bar) {
      const double x = right ? start + (count - 1) * s + 1 : start - 3.5;
      p.fillRect(QRectF(x, c.y() - s * 0.9, 2.5, s * 1.8), InkOf(f));
    }
  };
}

GlyphPainter Label(const char* text, double size) {
  return [=](QPainter& p, const QRectF& r, Frame f) {
    QFont font("Noto Sans", 1);
    font.setPixelSize(static_cast<int>(size));
    font.setBold(true);
    p.setFont(font);
    p.setPen(InkOf(f));
    p.drawText(r, Qt::AlignCenter, QString::fromUtf8(text));
  };
}

void Camera(QPainter& p, const QRectF& r, Frame f) {
  const QPointF c = r.center();
  p.setPen(QPen(InkOf(f), 1.6));
  p.setBrush(Qt::NoBrush);
  p.drawRoundedRect(QRectF(c.x() - 9, c.y() - 5, 18, 12), 2, 2);
  p.drawEllipse(QRectF(c.x() - 3.5, c.y() - 2.5, 7, 7));
  p.fillRect(QRectF(c.x() - 4, c.y() - 8, 6, 3), InkOf(f));
}

void Join(QPainter& p, const QRectF& r, Frame f) {
  const QPointF c = r.center();
  p.setPen(QPen(InkOf(f), 1.6));
  p.setBrush(Qt::NoBrush);
  p.drawRect(QRectF(c.x() - 10, c.y() - 5, 8, 10));
  p.drawRect(QRectF(c.x() + 2, c.y() - 5, 8, 10));
  p.drawLine(QPointF(c.x() - 2, c.y()), QPointF(c.x() + 2, c.y()));
}

void Magnifier(QPainter& p, const QRectF& r, Frame f) {
  const QPointF c = r.center();
  p.setPen(QPen(InkOf(f), 2, Qt::SolidLine, Qt::RoundCap));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(QRectF(c.x() - 8, c.y() - 8, 11, 11));
  p.drawLine(QPointF(c.x() + 2, c.y() + 2), QPointF(c.x() + 8, c.y() + 8));
}

void FolderGlyph(QPainter& p, const QRectF& r, Frame f) {
  const QPointF c = r.center();
  QPainterPath folder;
  folder.moveTo(c.x() - 9, c.y() - 6);
  folder.lineTo(c.x() - 3, c.y() - 6);
  folder.lineTo(c.x() - 1, c.y() - 4);
  folder.lineTo(c.x() + 9, c.y() - 4);
  folder.lineTo(c.x() + 9, c.y() + 7);
  folder.lineTo(c.x() - 9, c.y() + 7);
  folder.closeSubpath();
  p.setPen(QPen(InkOf(f), 1.6));
  p.setBrush(Qt::NoBrush);
  p.drawPath(folder);
}

void Bin(QPainter& p, const QRectF& r, Frame f) {
  const QPointF c = r.center();
  p.setPen(QPen(InkOf(f), 1.6));
  p.setBrush(Qt::NoBrush);
  p.drawRect(QRectF(c.x() - 6, c.y() - 4, 12, 12));
  p.drawLine(QPointF(c.x() - 8, c.y() - 6), QPointF(c.x() + 8, c.y() - 6));
  p.drawLine(QPointF(c.x() - 2, c.y() - 8), QPointF(c.x() + 2, c.y() - 8));
  p.drawLine(QPointF(c.x() - 2, c.y() - 1), QPointF(c.x() - 2, c.y() + 5));
  p.drawLine(QPointF(c.x() + 2, c.y() - 1), QPointF(c.x() + 2, c.y() + 5));
}

void Gear(QPainter& p, const QRectF& r, Frame f) {
  const QPointF c = r.center();
  p.setPen(QPen(InkOf(f), 3, Qt::SolidLine, Qt::FlatCap));
  for (int i = 0; i < 8; ++i) {
    const double a = i * 3.14159265 / 4;
    p.drawLine(QPointF(c.x() + 6 * std::cos(a), c.y() + 6 * std::sin(a)), QPointF(c.x() + 9 * std::cos(a), c.y() + 9 * std::sin(a)));
  }
  p.setPen(QPen(InkOf(f), 2));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(c, 5.5, 5.5);
}

void Switch(QPainter& p, const QRectF& r, Frame f) {
  const QPointF c = r.center();
  p.setPen(QPen(InkOf(f), 1.6));
  p.setBrush(Qt::NoBrush);
  p.drawRect(QRectF(c.x() - 10, c.y() - 6, 12, 9));
  p.fillRect(QRectF(c.x() - 1, c.y() - 1, 11, 8), InkOf(f));
}

void Minimise(QPainter& p, const QRectF& r, Frame f) { p.fillRect(QRectF(r.center().x() - 5, r.center().y() + 2, 10, 2), InkOf(f)); }

void SizeGlyph(QPainter& p, const QRectF& r, Frame f) {
  p.setPen(QPen(InkOf(f), 1.4));
  p.setBrush(Qt::NoBrush);
  p.drawRect(QRectF(r.center().x() - 5, r.center().y() - 4, 10, 8));
}

// Check boxes: 12 x 12, frames normal, hover, checked, disabled.
QImage CheckStrip() {
  QImage strip(48, 12, QImage::Format_RGB32);
  strip.fill(kKey);
  QPainter p(&strip);
  p.setRenderHint(QPainter::Antialiasing);
  for (int f = 0; f < 4; ++f) {
    const QRectF box(f * 12 + 0.5, 0.5, 11, 11);
    p.setPen(QPen(f == kHover ? kAccent : QColor(90, 90, 90), 1));
    p.setBrush(f == kDisabled ? QColor(200, 200, 200) : QColor(250, 250, 250));
    p.drawRoundedRect(box, 2, 2);
    if (f == kPressed) {
      p.setPen(QPen(kAccent, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
      p.drawPolyline(QPolygonF({QPointF(f * 12 + 3, 6), QPointF(f * 12 + 5.2, 8.5), QPointF(f * 12 + 9, 3.5)}));
    }
  }
  return strip;
}

QImage Track(int w, int h, const QColor& colour) {
  QImage track(w, h, QImage::Format_RGB32);
  track.fill(kKey);
  QPainter p(&track);
  p.setRenderHint(QPainter::Antialiasing);
  const double t = h / 3.0;
  p.setPen(Qt::NoPen);
  p.setBrush(colour);
  p.drawRoundedRect(QRectF(0, t, w, h - 2 * t), t / 2, t / 2);
  return track;
}

QImage Thumb(int w, int h, bool pressed) {
  QImage thumb(w, h, QImage::Format_RGB32);
  thumb.fill(kKey);
  QPainter p(&thumb);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(40, 40, 40), 1));
  p.setBrush(pressed ? kAccent : QColor(235, 235, 235));
  p.drawEllipse(QRectF(0.5, 0.5, w - 1, h - 1));
  return thumb;
}

// Tree badges, 39 x 26 on white (white is their transparent key): a base
// and one overlay per trigger, each in its own corner or band.
QImage BadgeBase() {
  QImage badge(39, 26, QImage::Format_RGB32);
  badge.fill(Qt::white);
  QPainter p(&badge);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(110, 110, 110), 1));
  p.setBrush(QColor(236, 240, 246));
  p.drawRoundedRect(QRectF(1.5, 3.5, 36, 19), 4, 4);
  p.setBrush(QColor(70, 130, 70));  // continuous: the green dot every group has
  p.setPen(Qt::NoPen);
  p.drawEllipse(QRectF(5, 10, 6, 6));
  return badge;
}

QImage BadgeOverlay(const QColor& colour, const QRectF& where) {
  QImage overlay(39, 26, QImage::Format_RGB32);
  overlay.fill(Qt::white);
  QPainter p(&overlay);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(colour);
  p.drawEllipse(where);
  return overlay;
}

QImage TreeIcon(bool group) {
  QImage icon(18, 18, QImage::Format_ARGB32);
  icon.fill(Qt::transparent);
  QPainter p(&icon);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(120, 90, 20), 1));
  p.setBrush(group ? QColor(120, 170, 230) : QColor(240, 200, 90));
  if (group) {
    p.drawRoundedRect(QRectF(2.5, 4.5, 13, 10), 2, 2);
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(6.5, 7, 5, 5));
  } else {
    QPainterPath folder;
    folder.moveTo(1.5, 4.5);
    folder.lineTo(7, 4.5);
    folder.lineTo(8.5, 6.5);
    folder.lineTo(16.5, 6.5);
    folder.lineTo(16.5, 15.5);
    folder.lineTo(1.5, 15.5);
    folder.closeSubpath();
    p.drawPath(folder);
  }
  return icon;
}

// Option buttons: 12 x 12 round marks, frames normal, hover, chosen, disabled.
QImage OptionStrip() {
  QImage strip(48, 12, QImage::Format_RGB32);
  strip.fill(kKey);
  QPainter p(&strip);
  p.setRenderHint(QPainter::Antialiasing);
  for (int f = 0; f < 4; ++f) {
    p.setPen(QPen(f == kHover ? kAccent : QColor(90, 90, 90), 1));
    p.setBrush(f == kDisabled ? QColor(200, 200, 200) : QColor(250, 250, 250));
    p.drawEllipse(QRectF(f * 12 + 0.5, 0.5, 11, 11));
    if (f == kPressed) {
      p.setPen(Qt::NoPen);
      p.setBrush(kAccent);
      p.drawEllipse(QRectF(f * 12 + 3, 3, 6, 6));
    }
  }
  return strip;
}

// The zoom cursor, 32 x 32: a magnifying glass with a plus.
QImage ZoomCursor() {
  QImage cursor(32, 32, QImage::Format_ARGB32);
  cursor.fill(Qt::transparent);
  QPainter p(&cursor);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(Qt::white, 5, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(19, 19), QPointF(28, 28));
  p.drawEllipse(QRectF(3, 3, 17, 17));
  p.setPen(QPen(QColor(20, 20, 20), 2.5, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(19, 19), QPointF(28, 28));
  p.drawEllipse(QRectF(3, 3, 17, 17));
  p.drawLine(QPointF(8, 11.5), QPointF(15, 11.5));
  p.drawLine(QPointF(11.5, 8), QPointF(11.5, 15));
  return cursor;
}

// The two logo pictures shown where the map would be.
QImage Logo(bool dark) {
  QImage logo(452, 368, QImage::Format_RGB32);
  logo.fill(dark ? QColor(24, 32, 44) : QColor(236, 240, 246));
  QPainter p(&logo);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(kBody);
  p.drawRoundedRect(QRectF(146, 120, 160, 100), 18, 18);
  p.setBrush(QColor(230, 240, 255));
  p.drawEllipse(QRectF(191, 135, 70, 70));
  p.setBrush(kAccent);
  p.drawEllipse(QRectF(208, 152, 36, 36));
  QFont font("Noto Sans", 28);
  font.setBold(true);
  p.setFont(font);
  p.setPen(dark ? QColor(230, 236, 244) : kBody);
  p.drawText(QRect(0, 240, 452, 60), Qt::AlignCenter, "Brennovale");
  return logo;
}

QImage Icon() {
  QImage icon(32, 32, QImage::Format_ARGB32);
  icon.fill(Qt::transparent);
  QPainter p(&icon);
  p.setRenderHint(QPainter::Antialiasing);
  p.setBrush(kBody);
  p.setPen(QPen(kBody.darker(150), 1));
  p.drawRoundedRect(QRectF(1.5, 6.5, 29, 19), 4, 4);
  p.setBrush(QColor(230, 240, 255));
  p.drawEllipse(QRectF(10, 9, 13, 13));
  p.setBrush(kAccent);
  p.drawEllipse(QRectF(13.5, 12.5, 6, 6));
  return icon;
}

// The acceleration graph's pictures, for its height in the window (169 px):
// the zero line at 84 and (169 - 6) / (zoom + 1) px per G, so that the
// rows of +-0.25 G x (zoom + 1) are the same at every zoom.
constexpr int kGraphHeight = 169;
constexpr int kGraphZero = kGraphHeight / 2;
constexpr double kGraphQuarterRows = (kGraphHeight - 6) / 4.0;

// The background tile: a dark field with the zero line and the quarter
// lines, and a faint column line at the tile's left edge.
QImage GraphTile() {
  QImage tile(50, kGraphHeight, QImage::Format_RGB32);
  tile.fill(QColor(18, 22, 28));
  QPainter p(&tile);
  p.setPen(QColor(40, 46, 56));
  p.drawLine(0, 0, 0, kGraphHeight - 1);
  for (int k : {-1, 1}) {
    const int y = static_cast<int>(std::lround(kGraphZero - k * kGraphQuarterRows));
    p.drawLine(0, y, 49, y);
  }
  p.setPen(QColor(70, 78, 90));
  p.drawLine(0, kGraphZero, 49, kGraphZero);
  return tile;
}

// The axis picture of one vertical zoom, 50 px wide: the values of the zero
// line and the quarter lines.
QImage GraphAxis(int zoom) {
  QImage axis(50, kGraphHeight, QImage::Format_RGB32);
  axis.fill(QColor(30, 34, 40));
  QPainter p(&axis);
  p.setPen(QColor(90, 98, 110));
  p.drawLine(49, 0, 49, kGraphHeight - 1);
  QFont font("Noto Sans", 7);
  font.setPixelSize(10);
  p.setFont(font);
  p.setPen(QColor(220, 224, 230));
  const double quarter = 0.25 * (zoom + 1);
  for (int k : {1, 0, -1}) {
    const int y = static_cast<int>(std::lround(kGraphZero - k * kGraphQuarterRows));
    // QString::number is independent of the locale.
    const QString text = k == 0 ? QStringLiteral("0G")
                                : (k > 0 ? QStringLiteral("+") : QString()) + QString::number(k * quarter, 'f', 2) + "G";
    p.drawText(QRect(0, y - 7, 44, 14), Qt::AlignRight | Qt::AlignVCenter, text);
    p.drawLine(45, y, 48, y);
  }
  p.drawText(QRect(2, 2, 46, 12), Qt::AlignLeft | Qt::AlignVCenter, QString::fromLatin1("G"));
  return axis;
}

// The drive-assist marker's picture, 9 x 9 on the transparent key: a
// yellow car seen from behind.
QImage AssistMark() {
  QImage mark(9, 9, QImage::Format_RGB32);
  mark.fill(kKey);
  QPainter p(&mark);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 255, 0));
  p.drawRect(1, 3, 7, 4);
  p.drawRect(2, 1, 5, 2);
  p.drawRect(1, 7, 2, 2);
  p.drawRect(6, 7, 2, 2);
  p.setBrush(QColor(60, 60, 0));
  p.drawRect(3, 2, 3, 1);
  return mark;
}


// Map markers, 32 x 32 on transparency: a pin whose tip is at (16, 32),
// with a round head carrying the kind's symbol.
QPainterPath PinOutline() {
  QPainterPath pin;
  pin.moveTo(16, 31.5);
  pin.cubicTo(13, 24, 4.5, 20, 4.5, 12);
  pin.arcTo(QRectF(4.5, 0.5, 23, 23), 180, -180);
  pin.cubicTo(27.5, 20, 19, 24, 16, 31.5);
  pin.closeSubpath();
  return pin;
}

using MarkSymbol = std::function<void(QPainter&)>;

QImage Marker(const QColor& colour, const MarkSymbol& symbol) {
  QImage image(32, 32, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient fill(QPointF(4, 0), QPointF(28, 24));
  fill.setColorAt(0, colour.lighter(135));
  fill.setColorAt(1, colour);
  p.setPen(QPen(colour.darker(170), 1.2));
  p.setBrush(fill);
  p.drawPath(PinOutline());
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 255, 255, 235));
  p.drawEllipse(QPointF(16, 12), 8.2, 8.2);
  symbol(p);
  return image;
}

MarkSymbol Letters(const char* text, const QColor& ink) {
  return [=](QPainter& p) {
    QFont font("Noto Sans", 1);
    font.setPixelSize(std::strlen(text) > 1 ? 9 : 12);
    font.setBold(true);
    p.setFont(font);
    p.setPen(ink);
    p.drawText(QRectF(7, 3, 18, 18), Qt::AlignCenter, QString::fromUtf8(text));
  };
}

// A closed ring of `count` corners around `centre`, alternating between the
// outer and inner radius (the same radius for a plain polygon).
QPainterPath Ring(int count, QPointF centre, double outer, double inner, double first_angle) {
  QPainterPath ring;
  for (int i = 0; i < count; ++i) {
    const double a = first_angle + i * 2 * 3.14159265 / count;
    const double r = i % 2 == 0 ? outer : inner;
    const QPointF q(centre.x() + r * std::cos(a), centre.y() + r * std::sin(a));
    if (i == 0) ring.moveTo(q); else ring.lineTo(q);
  }
  ring.closeSubpath();
  return ring;
}

// Impact: a jagged burst.
void BurstSymbol(QPainter& p) { p.fillPath(Ring(16, QPointF(16, 12), 6.5, 3.0, 0), QColor(200, 30, 20)); }

// The user's point: a five-pointed star.
void StarSymbol(QPainter& p) {
  p.fillPath(Ring(10, QPointF(16, 12.5), 6.5, 2.7, -3.14159265 / 2), QColor(30, 80, 200));
}

// Emergency stop: a small octagon with a bar.
void StopSymbol(QPainter& p) {
  p.fillPath(Ring(8, QPointF(16, 12), 6.3, 6.3, 3.14159265 / 8), QColor(210, 40, 40));
  p.fillRect(QRectF(12.5, 11, 7, 2), Qt::white);
}

// Speeding: a dial with its needle far over.
void DialSymbol(QPainter& p) {
  const QColor ink(190, 110, 0);
  p.setPen(QPen(ink, 1.8, Qt::SolidLine, Qt::RoundCap));
  p.setBrush(Qt::NoBrush);
  p.drawArc(QRectF(9.5, 6, 13, 13), 0, 180 * 16);
  p.drawLine(QPointF(16, 12.5), QPointF(21, 8));
  p.setPen(Qt::NoPen);
  p.setBrush(ink);
  p.drawEllipse(QPointF(16, 12.5), 1.8, 1.8);
  p.drawRect(QRectF(10, 15, 12, 1.6));
}

// Speed camera: a camera body with a lens.
void CameraSymbol(QPainter& p) {
  const QColor ink(0, 110, 110);
  p.setPen(Qt::NoPen);
  p.setBrush(ink);
  p.drawRoundedRect(QRectF(9.5, 8.5, 13, 9), 1.5, 1.5);
  p.drawRect(QRectF(12, 6.5, 4, 2));
  p.setBrush(Qt::white);
  p.drawEllipse(QPointF(16, 13), 2.7, 2.7);
}

// Radar: a dish sending waves.
void RadarSymbol(QPainter& p) {
  const QColor ink(30, 130, 50);
  p.setPen(QPen(ink, 1.5, Qt::SolidLine, Qt::RoundCap));
  p.setBrush(Qt::NoBrush);
  for (double r : {3.0, 5.5}) p.drawArc(QRectF(12 - r, 14 - r, 2 * r, 2 * r), 0, 90 * 16);
  p.setPen(Qt::NoPen);
  p.setBrush(ink);
  p.drawEllipse(QPointF(12, 14), 2.2, 2.2);
  p.drawRect(QRectF(11, 14, 2, 4.5));
}

// The position marker: a dark pin with a white dot, its tip on the point.
void DotSymbol(QPainter& p) {
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(20, 40, 90));
  p.drawEllipse(QPointF(16, 12), 3.5, 3.5);
}

// The shadow of every marker, 49 x 32: the pin laid over to the right and
// softened, its foot at (16, 32) like the pin's tip.
QImage MarkerShadow() {
  QImage sharp(49, 32, QImage::Format_ARGB32);
  sharp.fill(Qt::transparent);
  {
    QPainter p(&sharp);
    p.setRenderHint(QPainter::Antialiasing);
    QTransform lay;
    lay.translate(16, 31.5);
    lay.shear(-1.0, 0);
    lay.scale(1.0, 0.55);
    lay.translate(-16, -31.5);
    p.setTransform(lay);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 110));
    p.drawPath(PinOutline());
  }
  // Soften by averaging each pixel's neighbourhood (a 5 x 5 box).
  QImage soft(49, 32, QImage::Format_ARGB32);
  soft.fill(Qt::transparent);
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 49; ++x) {
      int sum = 0;
      for (int dy = -2; dy <= 2; ++dy) {
        for (int dx = -2; dx <= 2; ++dx) {
          const int sx = x + dx;
          const int sy = y + dy;
          if (sx >= 0 && sy >= 0 && sx < 49 && sy < 32) sum += qAlpha(sharp.pixel(sx, sy));
        }
      }
      soft.setPixel(x, y, qRgba(0, 0, 0, sum / 25));
    }
  }
  return soft;
}
}  // namespace

// Info panel art: a rounded badge in a colour with a short label, on the key.
QImage LabelBadge(int w, int h, const QRectF& body, double radius, const QColor& colour, const char* label,
                  int pixels) {
  QImage image(w, h, QImage::Format_RGB32);
  image.fill(kKey);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(colour.darker(150), 1.5));
  p.setBrush(colour);
  p.drawRoundedRect(body, radius, radius);
  QFont font("Noto Sans", 1);
  font.setPixelSize(pixels);
  font.setBold(true);
  p.setFont(font);
  p.setPen(kInk);
  p.drawText(body, Qt::AlignCenter, QString::fromUtf8(label));
  return image;
}

// Event icons, 48 x 32.
QImage EventIcon(const QColor& colour, const char* mark) {
  return LabelBadge(48, 32, QRectF(1.5, 3.5, 45, 25), 6, colour, mark, 13);
}

// Status icons, 40 x 28: a filled dot ('R'), a ring ('r'), a grey square
// (any other letter).
QImage StatusIcon(int shape) {
  QImage image(40, 28, QImage::Format_RGB32);
  image.fill(kKey);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF dot(12.5, 6.5, 15, 15);
  if (shape == 0) {
    p.setPen(QPen(QColor(150, 20, 20), 1.5));
    p.setBrush(QColor(230, 40, 40));
    p.drawEllipse(dot);
  } else if (shape == 1) {
    p.setPen(QPen(QColor(230, 40, 40), 3));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(dot.adjusted(1, 1, -1, -1));
  } else {
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.setBrush(QColor(150, 150, 150));
    p.drawRoundedRect(dot, 3, 3);
  }
  return image;
}

// The GPS-fix icon, 40 x 28: green, "GPS".
QImage GpsIcon() { return LabelBadge(40, 28, QRectF(1.5, 4.5, 37, 19), 4, QColor(40, 190, 70), "GPS", 12); }

// A box's placeholder: a dark field with a rule in the accent colour.
QImage PlaceholderBox(int w, int h, const QColor& accent) {
  QImage image(w, h, QImage::Format_RGB32);
  image.fill(QColor(40, 40, 44));
  QPainter p(&image);
  p.setPen(QColor(70, 70, 76));
  p.drawRect(0, 0, w - 1, h - 1);
  p.fillRect(QRect(2, h - 3, w - 4, 1), accent);
  return image;
}

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: make-skin-art OUT_DIR\n");
    return 2;
  }
  const std::string dir = argv[1];
  struct Image {
    int number;
    QImage image;
  };
  const Image images[] = {
      {147, ButtonStrip(32, 32, 6, PauseGlyph)},
      {154, ButtonStrip(32, 32, 6, Arrows(1, false, true))},  // to the first
      {144, ButtonStrip(32, 32, 6, Arrows(2, false, true))},  // previous
      {142, ButtonStrip(32, 32, 6, Label("1/2", 10))},        // slow
      {139, ButtonStrip(32, 32, 6, Arrows(2, true, false))},  // fast forward
      {145, ButtonStrip(32, 32, 6, Arrows(2, true, true))},   // next
      {153, ButtonStrip(32, 32, 6, Camera)},                  // still picture
      {150, ButtonStrip(32, 32, 6, Join)},
      {200, ButtonStrip(32, 32, 6, Magnifier)},               // zoom
      {146, ButtonStrip(32, 32, 6, FolderGlyph)},             // browse
      {138, ButtonStrip(32, 32, 6, Bin)},                     // delete
      {151, ButtonStrip(32, 32, 6, Gear)},                    // settings
      {137, ButtonStrip(32, 32, 6, Label("CSV", 10))},
      {356, ButtonStrip(32, 32, 6, Switch)},                  // camera display switch
      {155, ButtonStrip(46, 18, 3, Cross)},                   // close
      {156, ButtonStrip(26, 18, 3, Minimise)},
      {157, ButtonStrip(26, 18, 3, SizeGlyph)},
      {148, ButtonStrip(32, 32, 6, Play)},
      {352, ButtonStrip(13, 12, 2, Cross)},
      {217, CheckStrip()},
      {174, Track(200, 10, kAccent)},
      {159, Track(200, 10, QColor(120, 120, 120))},
      {160, Thumb(10, 10, false)},
      {161, Thumb(10, 10, true)},
      {167, Track(100, 8, kAccent)},
      {168, Track(100, 8, QColor(120, 120, 120))},
      {169, Thumb(8, 12, false)},
      {170, Thumb(8, 12, true)},
      {128, Icon()},
      {319, BadgeBase()},
      {316, BadgeOverlay(QColor(60, 110, 220), QRectF(13, 10, 6, 6))},   // manual
      {315, BadgeOverlay(QColor(220, 60, 40), QRectF(21, 10, 6, 6))},    // impact
      {318, BadgeOverlay(QColor(130, 80, 180), QRectF(29, 10, 6, 6))},   // parking
      {317, BadgeOverlay(QColor(240, 150, 20), QRectF(16, 4, 7, 7))},    // parking impact
      {346, BadgeOverlay(QColor(20, 170, 170), QRectF(24, 15, 6, 6))},
      {347, BadgeOverlay(QColor(120, 120, 120), QRectF(31, 15, 6, 6))},
      {327, OptionStrip()},
      {191, ZoomCursor()},
      {400, Logo(false)},
      {401, Logo(true)},
      {3, TreeIcon(false)},
      {19, TreeIcon(true)},
      {230, GraphTile()},
      {231, GraphAxis(0)},
      {232, GraphAxis(1)},
      {233, GraphAxis(2)},
      {234, GraphAxis(3)},
      {235, AssistMark()},
      // The info panel: event icons 1-6, status icons 'R', 'r', other, the
      // GPS fix, and the placeholders of date, speed and the three axes.
      {760, EventIcon(QColor(220, 60, 40), "G")},
      {761, EventIcon(QColor(60, 110, 220), "M")},
      {762, EventIcon(QColor(130, 80, 180), "P")},
      {763, EventIcon(QColor(240, 150, 20), "PG")},
      {764, EventIcon(QColor(20, 170, 170), "S")},
      {765, EventIcon(QColor(120, 120, 120), "!")},
      {766, StatusIcon(0)},
      {767, StatusIcon(1)},
      {768, StatusIcon(2)},
      {769, GpsIcon()},
      {770, PlaceholderBox(200, 19, QColor(120, 120, 120))},
      {771, PlaceholderBox(65, 21, QColor(120, 120, 120))},
      {772, PlaceholderBox(58, 20, QColor(0, 255, 0))},
      {773, PlaceholderBox(58, 20, QColor(255, 0, 0))},
      {774, PlaceholderBox(58, 20, QColor(128, 128, 255))},
      // Map markers and their shadow.
      {183, Marker(QColor(230, 70, 50), BurstSymbol)},             // impact
      {185, Marker(QColor(60, 120, 230), StarSymbol)},             // user point
      {182, Marker(QColor(200, 30, 30), StopSymbol)},              // emergency stop
      {216, Marker(QColor(130, 80, 180), Letters("P", QColor(110, 60, 160)))},  // parking monitoring
      {221, Marker(QColor(240, 160, 20), DialSymbol)},             // speeding
      {329, Marker(QColor(20, 160, 160), CameraSymbol)},           // speed camera
      {330, Marker(QColor(50, 170, 70), RadarSymbol)},             // radar
      {184, Marker(QColor(90, 90, 100), Letters("DH", QColor(50, 50, 60)))},
      {180, Marker(QColor(200, 90, 150), Letters("DA", QColor(160, 50, 110)))},
      {181, Marker(QColor(120, 150, 40), Letters("DB", QColor(80, 110, 20)))},
      {186, MarkerShadow()},
      {187, Marker(QColor(30, 60, 130), DotSymbol)},             // the position
  };
  for (const Image& i : images) {
    const std::string path = dir + "/" + std::to_string(i.number) + ".png";
    if (!i.image.save(QString::fromStdString(path), "PNG")) {
      std::fprintf(stderr, "make-skin-art: cannot write %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}
