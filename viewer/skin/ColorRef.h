#pragma once

#include <QColor>
#include <cstdint>

namespace viewer {

// Colours in the recorder's tools are written as 0x00BBGGRR values:
// 0xFF0000 is blue, 0x0000FF red.
inline QColor ColorFromRef(std::uint32_t colorref) {
  return QColor(static_cast<int>(colorref & 0xFF), static_cast<int>((colorref >> 8) & 0xFF),
                static_cast<int>((colorref >> 16) & 0xFF));
}

}  // namespace viewer
