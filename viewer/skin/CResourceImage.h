#pragma once

#include <QImage>

namespace viewer {

// The skin images by resource number, loaded once from the program's
// resources. A missing image is a null image: controls then stay undrawn.
class CResourceImage {
 public:
  static const QImage& Get(int number);
  // A copy with the black key made transparent, for drawing over other art.
  static QImage Keyed(int number);
  // Any picture with the pixels of one colour made transparent.
  static QImage WithTransparent(const QImage& source, QRgb key);
};

}  // namespace viewer
