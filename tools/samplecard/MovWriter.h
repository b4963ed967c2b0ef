#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include "platform/Expected.h"
#include "tools/samplecard/H264Encoder.h"

namespace samplecard {

struct VideoTrack {
  int width = 0;
  int height = 0;
  std::uint32_t timescale = 30000;
  std::uint32_t frame_delta = 1000;
  // The movie's own timescale (mvhd, tkhd and elst durations); 0 writes the
  // video timescale, as the recorder does. Other writers often use 1000.
  std::uint32_t movie_timescale = 0;
  std::vector<EncodedFrame> frames;
  std::vector<std::uint8_t> avc_config;
};

// Mono 16-bit little-endian PCM, written in equal chunks (one stsc entry).
struct SoundTrack {
  std::uint32_t rate = 16000;
  std::uint32_t samples_per_chunk = 0;
  int frames_per_chunk = 1;  // a sound chunk follows every this many video frames
  std::vector<std::int16_t> samples;  // a whole number of chunks
};

// Writes a recording the way the recorder lays it out: "ftyp", then one
// mdat holding the frames (each in a chunk of its own) interleaved with the
// sound chunks, then moov with the video track first and the sound track
// second, one stts entry per track, a single-entry stsc, no ctts, and the
// movie timescale the video track asks for. padding adds that many
// zero bytes (a hole where the file system allows) at the end of mdat.
platform::Expected<std::uint64_t> WriteMov(const std::filesystem::path& path, const VideoTrack& video,
                                           const std::optional<SoundTrack>& sound, std::uint64_t padding = 0);

// Chooses how sound chunks line up with video frames: the smallest number
// of frames whose duration is a whole number of sound samples.
SoundTrack PlanSound(std::uint32_t rate, std::uint32_t timescale, std::uint32_t frame_delta, int frame_count);

}  // namespace samplecard
