#pragma once

#include <array>
#include <cstdint>

#include "platform/LocalTime.h"

namespace recording {

struct AccelSample;

// One GPS record of the sensor data block.
struct GpsSample {
  std::int32_t index = 0;  // record index in its file, from 0
  // Milliseconds from the start of the recording; after frame indexing the
  // video frame number instead.
  std::int32_t time = 0;
  std::int32_t fix_valid = 0;
  AccelSample* accel_link = nullptr;  // set by frame indexing
  double latitude = 0.0;              // degrees, north positive
  double longitude = 0.0;             // degrees, east positive
  double speed = 0.0;                 // km/h as recorded
  double direction = 0.0;             // the block carries no heading
  platform::SystemTime date_time;     // local time; all zero when it could not be converted
};

// One acceleration record of the sensor data block.
struct AccelSample {
  std::int32_t index = 0;
  std::int32_t event = -1;  // 5, 6, 7, 11, 12, 13 or -1
  std::int32_t flag = 0;    // 8 or 0
  std::int32_t axis = 0;    // 1 X, 2 Y, 3 Z, 0 none
  std::int32_t time = 0;    // as in GpsSample
  std::int32_t extra = 0;   // record byte 122
  GpsSample* gps_link = nullptr;  // set by frame indexing
  double x = 0.0, y = 0.0, z = 0.0;  // in G
  std::int32_t assist_group = 0;
  std::int32_t assist_code = 0;
};

// The decoded 26-byte header of a block.
struct SensorDataHeader {
  float a = -1.0f, b = -1.0f, c = -1.0f, d = -1.0f;  // thousandths / 1000; -1 unless mode is 'M' or 'D'
  char mode = 0;
  std::array<char, 6> version{};  // three two-digit numbers
  char quality = 0;               // offset 23: 'H' for high quality
  char letter24 = 0;
  char rate = 0;                  // offset 25: 'T' for 15 records a second

  // The record period in milliseconds the rate letter gives.
  float RecordPeriod() const { return rate == 'T' ? 1000.0f / 15.0f : 100.0f; }
  friend bool operator==(const SensorDataHeader&, const SensorDataHeader&) = default;
};

}  // namespace recording
