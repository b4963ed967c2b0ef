#include "recording/SequenceParameterSet.h"

#include <vector>

namespace recording {
namespace {

// Reads bits of a NAL unit payload whose emulation prevention bytes were
// removed; any read past the end marks the reader failed.
class BitReader {
 public:
  explicit BitReader(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
  bool failed() const { return failed_; }
  std::uint32_t Bits(int n) {
    std::uint32_t v = 0;
    for (int i = 0; i < n; ++i) {
      if (at_ >= bytes_.size() * 8) {
        failed_ = true;
        return 0;
      }
      v = v << 1 | ((bytes_[at_ / 8] >> (7 - at_ % 8)) & 1);
      ++at_;
    }
    return v;
  }
  // Unsigned exp-Golomb; codes longer than 32 bits fail.
  std::uint32_t Ue() {
    int zeros = 0;
    while (!failed_ && Bits(1) == 0) {
      if (++zeros > 31) failed_ = true;
    }
    if (failed_) return 0;
    return static_cast<std::uint32_t>((std::uint64_t{1} << zeros) - 1 + Bits(zeros));
  }
  std::int64_t Se() {
    const std::uint32_t k = Ue();
    return k % 2 == 1 ? (std::int64_t{k} + 1) / 2 : -(std::int64_t{k} / 2);
  }

 private:
  std::vector<std::uint8_t> bytes_;
  std::size_t at_ = 0;
  bool failed_ = false;
};

std::vector<std::uint8_t> Unescaped(const std::uint8_t* p, std::size_t n) {
  std::vector<std::uint8_t> out;
  out.reserve(n);
  int zeros = 0;
  for (std::size_t i = 0; i < n; ++i) {
    if (zeros >= 2 && p[i] == 3) {
      zeros = 0;
      continue;
    }
    zeros = p[i] == 0 ? zeros + 1 : 0;
    out.push_back(p[i]);
  }
  return out;
}

void SkipScalingList(BitReader& r, int entries) {
  std::int64_t last = 8, next = 8;
  for (int j = 0; j < entries && !r.failed(); ++j) {
    if (next != 0) next = (last + r.Se() + 256) % 256;
    last = next == 0 ? last : next;
  }
}

bool HasChromaFields(std::uint32_t profile) {
  switch (profile) {
    case 100: case 110: case 122: case 244: case 44: case 83: case 86: case 118: case 128: case 138: case 139: case 134:
    case 135:
      return true;
    default:
      return false;
  }
}

}  // namespace

std::optional<PictureSize> H264PictureSize(const std::uint8_t* nal, std::size_t size) {
  if (size < 4 || (nal[0] & 0x1F) != 7) return std::nullopt;
  BitReader r(Unescaped(nal + 1, size - 1));
  const std::uint32_t profile = r.Bits(8);
  r.Bits(16);  // constraint flags and level
  if (r.Ue() > 31) return std::nullopt;
  std::uint32_t chroma_format = 1;
  bool separate_planes = false;
  if (HasChromaFields(profile)) {
    chroma_format = r.Ue();
    if (chroma_format > 3) return std::nullopt;
    if (chroma_format == 3) separate_planes = r.Bits(1) != 0;
    r.Ue();     // luma bit depth
    r.Ue();     // chroma bit depth
    r.Bits(1);  // transform bypass
    if (r.Bits(1) != 0) {
      for (int i = 0; i < (chroma_format == 3 ? 12 : 8); ++i) {
        if (r.Bits(1) != 0) SkipScalingList(r, i < 6 ? 16 : 64);
      }
    }
  }
  r.Ue();  // log2 of the largest frame number
  const std::uint32_t poc_type = r.Ue();
  if (poc_type == 0) {
    r.Ue();
  } else if (poc_type == 1) {
    r.Bits(1);
    r.Se();
    r.Se();
    const std::uint32_t cycle = r.Ue();
    if (cycle > 255) return std::nullopt;
    for (std::uint32_t i = 0; i < cycle; ++i) r.Se();
  } else if (poc_type != 2) {
    return std::nullopt;
  }
  r.Ue();     // reference frames
  r.Bits(1);  // gaps allowed
  const std::uint64_t width_mbs = std::uint64_t{r.Ue()} + 1;
  const std::uint64_t height_units = std::uint64_t{r.Ue()} + 1;
  const bool frames_only = r.Bits(1) != 0;
  if (!frames_only) r.Bits(1);
  r.Bits(1);  // direct 8x8 inference
  std::uint64_t crop[4] = {0, 0, 0, 0};
  if (r.Bits(1) != 0) {
    for (auto& c : crop) c = r.Ue();
  }
  if (r.failed()) return std::nullopt;
  const bool mono = chroma_format == 0 || separate_planes;
  const std::uint64_t unit_x = mono ? 1 : (chroma_format == 3 ? 1 : 2);
  const std::uint64_t unit_y = (mono ? 1 : (chroma_format == 1 ? 2 : 1)) * (frames_only ? 1 : 2);
  const std::uint64_t width = width_mbs * 16, height = height_units * 16 * (frames_only ? 1 : 2);
  const std::uint64_t cut_x = (crop[0] + crop[1]) * unit_x, cut_y = (crop[2] + crop[3]) * unit_y;
  if (width > 65535 || height > 65535 || cut_x >= width || cut_y >= height) return std::nullopt;
  return PictureSize{static_cast<std::uint32_t>(width - cut_x), static_cast<std::uint32_t>(height - cut_y)};
}

std::optional<PictureSize> HevcPictureSize(const std::uint8_t* nal, std::size_t size) {
  if (size < 4 || ((nal[0] >> 1) & 0x3F) != 33) return std::nullopt;
  BitReader r(Unescaped(nal + 2, size - 2));
  r.Bits(4);  // video parameter set id
  const std::uint32_t sub_layers = r.Bits(3);
  r.Bits(1);
  r.Bits(8);   // general profile space, tier and profile
  r.Bits(32);  // compatibility flags
  r.Bits(32);  // constraint flags (48 bits) and level (8 bits)
  r.Bits(24);
  bool profile_present[8] = {}, level_present[8] = {};
  for (std::uint32_t i = 0; i < sub_layers; ++i) {
    profile_present[i] = r.Bits(1) != 0;
    level_present[i] = r.Bits(1) != 0;
  }
  if (sub_layers > 0) {
    for (std::uint32_t i = sub_layers; i < 8; ++i) r.Bits(2);
  }
  for (std::uint32_t i = 0; i < sub_layers; ++i) {
    if (profile_present[i]) {
      r.Bits(32);
      r.Bits(32);
      r.Bits(24);
    }
    if (level_present[i]) r.Bits(8);
  }
  if (r.Ue() > 15) return std::nullopt;
  const std::uint32_t chroma_format = r.Ue();
  if (chroma_format > 3) return std::nullopt;
  if (chroma_format == 3) r.Bits(1);  // separate colour planes: the units stay 1
  const std::uint64_t width = r.Ue(), height = r.Ue();
  std::uint64_t window[4] = {0, 0, 0, 0};
  if (r.Bits(1) != 0) {
    for (auto& w : window) w = r.Ue();
  }
  if (r.failed()) return std::nullopt;
  const std::uint64_t unit_x = chroma_format == 1 || chroma_format == 2 ? 2 : 1;
  const std::uint64_t unit_y = chroma_format == 1 ? 2 : 1;
  const std::uint64_t cut_x = (window[0] + window[1]) * unit_x, cut_y = (window[2] + window[3]) * unit_y;
  if (width > 65535 || height > 65535 || cut_x >= width || cut_y >= height) return std::nullopt;
  return PictureSize{static_cast<std::uint32_t>(width - cut_x), static_cast<std::uint32_t>(height - cut_y)};
}

}  // namespace recording
