#pragma once

#include <cstdint>
#include <vector>

namespace samplecard {

// A planar 4:2:0 picture with 8-bit samples.
struct YuvImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> y, u, v;

  YuvImage(int w, int h)
      : width(w), height(h), y(static_cast<std::size_t>(w) * h),
        u(static_cast<std::size_t>((w + 1) / 2) * ((h + 1) / 2)), v(u.size()) {}
  int chroma_width() const { return (width + 1) / 2; }
  int chroma_height() const { return (height + 1) / 2; }

  // Fills a rectangle (clipped) with one colour.
  void Fill(int x, int y0, int w, int h, std::uint8_t luma, std::uint8_t cb = 128, std::uint8_t cr = 128);
};

}  // namespace samplecard
