#include "tools/samplecard/FrameStamp.h"

#include <algorithm>
#include <array>
#include <string>

namespace samplecard {
namespace {

constexpr std::uint8_t kWhite = 235;
constexpr std::uint8_t kBlack = 16;

struct Glyph {
  char c;
  std::array<std::uint8_t, 7> rows;  // 5 bits per row, most significant bit on the left
};

constexpr Glyph kFont[] = {
    {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}}, {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}}, {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
    {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}}, {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
    {'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}}, {'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}}, {'9', {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}},
    {'-', {0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00}}, {':', {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x0C, 0x00}},
    {'.', {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C}}, {'/', {0x01, 0x02, 0x02, 0x04, 0x08, 0x08, 0x10}},
    {'A', {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}}, {'C', {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E}},
    {'E', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}}, {'F', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10}},
    {'G', {0x0E, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0F}}, {'M', {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11}},
    {'N', {0x11, 0x19, 0x15, 0x13, 0x11, 0x11, 0x11}}, {'O', {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}},
    {'P', {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10}}, {'R', {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}},
    {'S', {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E}}, {'T', {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}},
    {'#', {0x0A, 0x0A, 0x1F, 0x0A, 0x1F, 0x0A, 0x0A}},
};

const Glyph* FindGlyph(char c) {
  for (const Glyph& g : kFont) {
    if (g.c == c) return &g;
  }
  return nullptr;
}

int Parity(int value) {
  int bits = 0;
  for (int i = 0; i < kStripBits; ++i) bits += (value >> i) & 1;
  return bits & 1;
}

// Cell i spans [CellLeft(i), CellLeft(i + 1)).
int CellLeft(int cell, int width) { return cell * width / kStripCells; }

}  // namespace

void YuvImage::Fill(int x, int y0, int w, int h, std::uint8_t luma, std::uint8_t cb, std::uint8_t cr) {
  const int x1 = std::min(width, x + w), y1 = std::min(height, y0 + h);
  for (int row = std::max(0, y0); row < y1; ++row) {
    for (int col = std::max(0, x); col < x1; ++col) y[static_cast<std::size_t>(row) * width + col] = luma;
  }
  for (int row = std::max(0, y0) / 2; row < (y1 + 1) / 2; ++row) {
    for (int col = std::max(0, x) / 2; col < (x1 + 1) / 2; ++col) {
      u[static_cast<std::size_t>(row) * chroma_width() + col] = cb;
      v[static_cast<std::size_t>(row) * chroma_width() + col] = cr;
    }
  }
}

int StripBandHeight(int height) { return std::max(8, height / 10); }

void DrawText(YuvImage& image, int x, int y, int scale, std::string_view text, std::uint8_t luma) {
  for (char c : text) {
    if (const Glyph* g = FindGlyph(c)) {
      for (int row = 0; row < 7; ++row) {
        for (int col = 0; col < 5; ++col) {
          if (g->rows[static_cast<std::size_t>(row)] & (0x10 >> col)) {
            image.Fill(x + col * scale, y + row * scale, scale, scale, luma);
          }
        }
      }
    }
    x += 6 * scale;
  }
}

void DrawFrame(YuvImage& image, int frame_number, Camera camera, std::string_view caption) {
  const int w = image.width, h = image.height;
  const int band = StripBandHeight(h);
  const std::uint8_t cb = camera == Camera::kFront ? 150 : 110;
  const std::uint8_t cr = camera == Camera::kFront ? 110 : 150;
  // Background: a sky and a road that scrolls with the frame number.
  const int horizon = (h - band) * 2 / 5;
  for (int row = 0; row < h - band; ++row) {
    std::uint8_t* line = image.y.data() + static_cast<std::size_t>(row) * w;
    for (int col = 0; col < w; ++col) {
      int value;
      if (row < horizon) {
        value = 150 + row * 60 / std::max(1, horizon);
      } else {
        const int depth = row - horizon + 1;
        const int stripe = ((col - w / 2) * 64 / depth + frame_number * 6) & 63;
        value = 70 + (stripe < 8 ? 90 : 0) + ((row * 7 + frame_number * 3) & 15);
      }
      line[col] = static_cast<std::uint8_t>(value);
    }
  }
  for (int row = 0; row < image.chroma_height(); ++row) {
    for (int col = 0; col < image.chroma_width(); ++col) {
      const bool sky = row * 2 < horizon;
      image.u[static_cast<std::size_t>(row) * image.chroma_width() + col] = sky ? cb : 128;
      image.v[static_cast<std::size_t>(row) * image.chroma_width() + col] = sky ? cr : 128;
    }
  }

  // Frame number in large digits on a dark plate, caption below it.
  const int scale = std::max(2, h / 45);
  const std::string digits = std::to_string(frame_number);
  const std::string label = (camera == Camera::kFront ? "F " : "R ") + digits;
  image.Fill(scale, scale, (static_cast<int>(label.size()) * 6 + 1) * scale, 9 * scale, kBlack);
  DrawText(image, 2 * scale, 2 * scale, scale, label, kWhite);
  if (!caption.empty()) {
    const int small = std::max(1, scale / 2);
    image.Fill(scale, 11 * scale, (static_cast<int>(caption.size()) * 6 + 2) * small, 9 * small, kBlack);
    DrawText(image, scale + small, 11 * scale + small, small, caption, kWhite);
  }

  // The machine-readable strip.
  image.Fill(0, h - band, w, band, kBlack);
  const int parity = Parity(frame_number);
  for (int cell = 0; cell < kStripCells; ++cell) {
    bool on;
    if (cell == 0) {
      on = true;
    } else if (cell == 1) {
      on = false;
    } else if (cell < 2 + kStripBits) {
      on = (frame_number >> (kStripBits - 1 - (cell - 2))) & 1;
    } else if (cell == 2 + kStripBits) {
      on = parity == 1;
    } else {
      on = parity == 0;
    }
    if (on) {
      const int left = CellLeft(cell, w);
      image.Fill(left, h - band, CellLeft(cell + 1, w) - left, band, kWhite);
    }
  }
}

int ReadFrameNumber(const std::uint8_t* luma, int width, int height, int stride) {
  const int band = StripBandHeight(height);
  const int top = height - band + band / 4, bottom = height - band / 4;
  bool cells[kStripCells];
  for (int cell = 0; cell < kStripCells; ++cell) {
    const int left = CellLeft(cell, width), right = CellLeft(cell + 1, width);
    const int quarter = (right - left) / 4;
    long sum = 0, count = 0;
    for (int row = top; row < bottom; ++row) {
      for (int col = left + quarter; col < right - quarter; ++col) {
        sum += luma[static_cast<std::size_t>(row) * stride + col];
        ++count;
      }
    }
    if (count == 0) return -1;
    cells[cell] = sum / count > 128;
  }
  if (!cells[0] || cells[1]) return -1;
  int value = 0;
  for (int bit = 0; bit < kStripBits; ++bit) value = (value << 1) | (cells[2 + bit] ? 1 : 0);
  const bool parity = cells[2 + kStripBits];
  if (parity == cells[3 + kStripBits] || parity != (Parity(value) == 1)) return -1;
  return value;
}

}  // namespace samplecard
