#pragma once

#include <cstdint>
#include <filesystem>

#include "platform/Expected.h"

namespace recording {

class BoxTree;

// The timing of a recording's video track (the trak whose handler is
// "vide", wherever it lies in moov) and every conversion between frame
// numbers and times. Frame f lies at f x delta in the track's own media
// timescale; conversions are done in integers with 128-bit intermediates,
// rounded to the nearest unit, so no frame is read back as its neighbour
// and nothing overflows.
//
// What it cannot describe it refuses with a reason: several sample
// durations (variable frame rate), fragmented files, a timescale or delta
// above 2^31 - 1, no frames, and a frame count that the sample sizes or the
// file cannot hold. Every count it gives is bounded by the file's size.
class VideoTiming {
 public:
  // Empty: no frames, every conversion gives 0.
  VideoTiming() = default;

  static platform::Expected<VideoTiming> FromTree(const BoxTree& tree);
  static platform::Expected<VideoTiming> Read(const std::filesystem::path& path);

  bool valid() const { return timescale_ != 0; }
  std::uint32_t timescale() const { return timescale_; }  // the video track's media timescale
  std::uint32_t delta() const { return delta_; }          // each frame's duration in it
  std::int32_t frame_count() const { return frame_count_; }
  std::uint32_t movie_timescale() const { return movie_timescale_; }
  std::uint64_t movie_duration() const { return movie_duration_; }  // in the movie timescale
  std::uint64_t media_bytes() const { return media_bytes_; }        // the video frames' bytes

  double frame_rate() const;         // frames per second: timescale / delta
  double frame_duration_ms() const;  // 1000 x delta / timescale
  double duration_seconds() const;   // the movie's (mvhd) duration

  // Frame f's start in the video timescale (f x delta).
  std::int64_t TicksOfFrame(std::int64_t frame) const;
  // The frame nearest to a time in the video timescale (not clamped).
  std::int64_t FrameNearestTicks(std::int64_t ticks) const;
  // Frame f's start in units of 1/units_per_second seconds (10,000,000 for
  // 100-ns units).
  std::int64_t TimeOfFrame(std::int64_t frame, std::int64_t units_per_second) const;
  // The frame nearest to a time in those units, clamped to [0, last frame].
  std::int32_t FrameAtTime(std::int64_t time, std::int64_t units_per_second) const;
  // A frame number clamped to [0, last frame].
  std::int32_t ClampFrame(std::int64_t frame) const;
  // True when both run at exactly the same frame rate.
  bool SameRate(const VideoTiming& other) const;

 private:
  std::uint32_t timescale_ = 0;
  std::uint32_t delta_ = 0;
  std::int32_t frame_count_ = 0;
  std::uint32_t movie_timescale_ = 0;
  std::uint64_t movie_duration_ = 0;
  std::uint64_t media_bytes_ = 0;
};

// The rear camera's frame that shows the moment of the front camera's frame
// f: f itself when both run at the same rate, otherwise the rear frame under
// way at f's start, never past the rear's last frame.
std::int32_t RearFrameFor(std::int32_t front_frame, const VideoTiming& front, const VideoTiming& rear);

}  // namespace recording
