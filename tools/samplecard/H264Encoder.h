#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/Expected.h"
#include "tools/samplecard/YuvImage.h"

namespace samplecard {

// One coded frame in the form a MOV sample holds it: NAL units each with a
// 4-byte big-endian length, no start codes, no parameter sets.
struct EncodedFrame {
  std::vector<std::uint8_t> data;
  bool key = false;
};

struct EncoderSettings {
  int width = 320;
  int height = 180;
  int timescale = 30000;
  int frame_delta = 1000;
  int gop = 30;  // frames from one key frame to the next
  int crf = 23;
};

// H.264 through libavcodec with no B-frames, a fixed key-frame interval and
// one thread, so that the same pictures always give the same bytes.
class H264Encoder {
 public:
  static platform::Expected<std::unique_ptr<H264Encoder>> Create(const EncoderSettings& settings);
  ~H264Encoder();

  bool Encode(const YuvImage& image, std::vector<EncodedFrame>* out);
  bool Flush(std::vector<EncodedFrame>* out);
  // The avcC decoder configuration record.
  const std::vector<std::uint8_t>& avc_config() const { return avc_config_; }

 private:
  H264Encoder() = default;
  bool Drain(std::vector<EncodedFrame>* out);
  struct Impl;
  std::unique_ptr<Impl> impl_;
  std::vector<std::uint8_t> avc_config_;
  std::int64_t next_pts_ = 0;
};

// Splits Annex B data (start codes) into NAL units.
std::vector<std::vector<std::uint8_t>> SplitAnnexB(const std::uint8_t* data, std::size_t size);

}  // namespace samplecard
