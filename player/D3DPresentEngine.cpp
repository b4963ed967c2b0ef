#include "player/D3DPresentEngine.h"

#include <QPainter>
#include <QTransform>

namespace player {

void D3DPresentEngine::SetVideoPosition(const QRectF& source, const QRect& destination) {
  std::lock_guard guard(lock_);
  source_ = source;
  destination_ = destination;
}

void D3DPresentEngine::GetVideoPosition(QRectF* source, QRect* destination) const {
  std::lock_guard guard(lock_);
  if (source) *source = source_;
  if (destination) *destination = destination_;
}

void D3DPresentEngine::SetAspectRatioMode(bool keep_aspect) {
  std::lock_guard guard(lock_);
  keep_aspect_ = keep_aspect;
}

bool D3DPresentEngine::keep_aspect() const {
  std::lock_guard guard(lock_);
  return keep_aspect_;
}

QImage D3DPresentEngine::Compose(const QImage& frame, const QSize& view) const {
  QImage out(view.isEmpty() ? QSize(1, 1) : view, QImage::Format_RGB32);
  out.fill(Qt::black);
  if (frame.isNull() || view.isEmpty()) return out;
  QRectF source;
  QRect destination;
  bool keep;
  {
    std::lock_guard guard(lock_);
    source = source_;
    destination = destination_;
    keep = keep_aspect_;
  }
  // Corners given the other way round turn the picture by 180 degrees.
  const bool turned =
      !destination.isNull() && destination.left() > destination.right() && destination.top() > destination.bottom();
  QRect target = destination.isNull() ? QRect(QPoint(0, 0), view) : destination.normalized();
  const QRectF from(source.x() * frame.width(), source.y() * frame.height(), source.width() * frame.width(),
                    source.height() * frame.height());
  if (keep && from.width() > 0 && from.height() > 0) {
    const QSize fitted = QSizeF(from.size()).scaled(QSizeF(target.size()), Qt::KeepAspectRatio).toSize();
    target = QRect(target.x() + (target.width() - fitted.width()) / 2, target.y() + (target.height() - fitted.height()) / 2,
                   fitted.width(), fitted.height());
  }
  QPainter painter(&out);
  painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
  if (turned) {
    const QPointF centre = QRectF(target).center();
    painter.translate(centre);
    painter.rotate(180);
    painter.translate(-centre);
  }
  painter.drawImage(QRectF(target), frame, from);
  return out;
}

}  // namespace player
