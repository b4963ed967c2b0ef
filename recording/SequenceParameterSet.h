#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace recording {

// The picture size an H.264 sequence parameter set (one NAL unit, header
// byte included) gives after cropping: what a decoder reports, which may
// differ from the sizes the container claims. Empty when the unit cannot be
// read to its cropping fields.
struct PictureSize {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
};
std::optional<PictureSize> H264PictureSize(const std::uint8_t* nal, std::size_t size);
// The same for an HEVC sequence parameter set (its conformance window).
std::optional<PictureSize> HevcPictureSize(const std::uint8_t* nal, std::size_t size);

}  // namespace recording
