#pragma once

#include <cstdint>
#include <string>

#include "platform/LocalTime.h"

namespace library {

// One main-camera recording of a scanned source; it stands for the whole
// recording (front, rear and sensor data). Copied by value into vectors.
struct RecordingEntry {
  std::string path;  // full path of the main-camera file
  std::string name;  // file name part of path
  std::int32_t serial = 0;  // order of creation within the scan; -1 in a placeholder
  std::int32_t trigger_code = 0;
  std::int32_t state = 0;
  std::int32_t quality_code = 0;   // set when the recording is opened
  float frame_period = 0.0f;       // ms per frame; set when the recording is opened
  platform::SystemTime start_time;  // set when the recording is opened
  platform::SystemTime end_time;
  std::uint64_t main_size = 0;
  std::uint64_t sub_size = 0;   // 0 without a rear file
  std::uint64_t data_size = 0;  // 0 without a data file

  static constexpr std::uint64_t kNoSize = ~std::uint64_t{0};
  bool IsPlaceholder() const { return serial == -1; }
};

}  // namespace library
