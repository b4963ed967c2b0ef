#pragma once

#include <cstdint>
#include <string_view>

#include "tools/samplecard/YuvImage.h"

namespace samplecard {

// Every generated frame carries its own frame number twice: as large digits
// for people, and as a strip of black and white cells along the bottom edge
// that a test can read back from a decoded picture.
//
// Strip: kStripCells equal cells across the full width in a band at the
// bottom; cell 0 white and cell 1 black (sync), 20 bits of the frame number
// (most significant first), then an even-parity cell and its inverse.
constexpr int kStripCells = 24;
constexpr int kStripBits = 20;

int StripBandHeight(int height);

enum class Camera { kFront, kRear };

// Draws the whole picture for one frame: a moving background in the camera's
// tint, the frame number, a caption line (date and time) and the strip.
void DrawFrame(YuvImage& image, int frame_number, Camera camera, std::string_view caption);

// Reads the frame number back from a luma plane; -1 when the strip does not
// read as a valid code.
int ReadFrameNumber(const std::uint8_t* luma, int width, int height, int stride);

// Draws text of digits, '-', ':', '.', ' ' and upper-case letters with a
// 5 x 7 pixel font scaled by scale, white on the current picture.
void DrawText(YuvImage& image, int x, int y, int scale, std::string_view text, std::uint8_t luma = 235);

}  // namespace samplecard
