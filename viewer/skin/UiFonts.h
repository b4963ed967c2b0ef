#pragma once

#include <QFont>
#include <array>

#include "viewer/settings/UiFontSizes.h"

namespace viewer {

// The five UI fonts, made once at start-up. Their face is UI text 113; it is
// mapped to an installed Japanese face with Japanese glyph forms, so that
// fontconfig never falls back to a Latin or Chinese face.
class UiFonts {
 public:
  // dpi_x and dpi_y of the screen the fonts are for.
  UiFonts(int dpi_x, int dpi_y);
  static UiFonts ForPrimaryScreen();
  // The fonts of this process, made on first use for the primary screen.
  static const UiFonts& Shared();

  const QFont& font(UiFontSize size) const { return fonts_[static_cast<std::size_t>(size)]; }
  static QString FaceName();
  // The installed face the UI face resolves to.
  static QString SubstituteFace();

 private:
  std::array<QFont, kUiFontPoints.size()> fonts_;
};

}  // namespace viewer
