#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/Expected.h"

namespace samplecard {

struct CardOptions {
  int recordings = 11;
  double seconds = 4.0;
  int width = 320;
  int height = 180;
  double fps = 30.0;
  double sub_fps = 0.0;  // 0: the same as fps
  int gop = 0;           // 0: one second
  std::uint32_t seed = 1;
  int sensor_hz = 10;    // 10 or 15
  bool sound = true;
  std::uint64_t pad_mdat = 0;  // extra zero bytes at the end of each front file's mdat (a hole)
  std::uint64_t fill_mdat = 0;  // about this many bytes of H.264 filler data spread over every video file's frames
  // Records [no_fix_from, no_fix_from + no_fix_records) of every recording
  // carry no GPS fix (the receiver lost the sky); -1: every record has one.
  int no_fix_from = -1;
  int no_fix_records = 0;
  std::uint32_t movie_timescale = 0;  // 0: the video's own timescale, as the recorder writes; other writers use 1000
};

struct WrittenRecording {
  std::string base_name;  // the 24-character part shared by the three files
  std::filesystem::path main_path, sub_path, data_path;
  int main_frames = 0;
  int sub_frames = 0;
  int records = 0;
};

// Writes a card tree as the recorder does: Normal and Parking, each with
// Main, Sub_ and Data, names in the recorder's 29-character grammar with
// every trigger kind, at times that group as the recorder's do.
platform::Expected<std::vector<WrittenRecording>> WriteSampleCard(const std::filesystem::path& root,
                                                                  const CardOptions& options);

// The names, paths and counts WriteSampleCard gives for these options,
// without writing anything.
std::vector<WrittenRecording> PlanSampleCard(const std::filesystem::path& root, const CardOptions& options);

// Timescale and sample delta for a frame rate: 30 -> 30000/1000,
// 29.97 -> 30000/1001, 27.5 -> 27500/1000.
void RateToTimescale(double fps, std::uint32_t* timescale, std::uint32_t* delta);

}  // namespace samplecard
