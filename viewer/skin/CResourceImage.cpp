#include "viewer/skin/CResourceImage.h"

#include <QString>
#include <map>
#include <mutex>

namespace viewer {

const QImage& CResourceImage::Get(int number) {
  static std::mutex lock;
  static std::map<int, QImage> images;
  std::lock_guard guard(lock);
  auto it = images.find(number);
  if (it == images.end()) {
    it = images.emplace(number, QImage(QString(":/skin/%1.png").arg(number))).first;
  }
  return it->second;
}

QImage CResourceImage::Keyed(int number) { return WithTransparent(Get(number), qRgb(0, 0, 0)); }

QImage CResourceImage::WithTransparent(const QImage& source, QRgb key) {
  if (source.isNull()) return {};
  QImage keyed = source.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < keyed.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(keyed.scanLine(y));
    for (int x = 0; x < keyed.width(); ++x) {
      if ((line[x] & 0x00FFFFFF) == (key & 0x00FFFFFF)) line[x] = 0;
    }
  }
  return keyed;
}

}  // namespace viewer
