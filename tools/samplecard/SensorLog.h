#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace samplecard {

// The fields of one 124-byte sensor record as the recorder writes them.
struct SensorRecordFields {
  char fix = 'A';
  double latitude = 0.0;   // degrees; negative for south
  double longitude = 0.0;  // degrees; negative for west
  int speed = 0;           // km/h
  int year = 2024, month = 1, day = 1, hour = 0, minute = 0, second = 0;
  int add_seconds = -1;    // -1 writes '*' (none)
  int x_mg = 0, y_mg = 0, z_mg = 0;  // thousandths of G
  char user_mark = ' ';    // 'D' at 72
  char axis = ' ';         // 'X', 'Y', 'Z' at 73
  char assist = 'N';       // 'H', 'A', 'B' at 74
  char emergency = ' ';    // 'D' at 75
  char parking = ' ';      // 'D' at 76
  char second_flag = ' ';  // 'D' at 77
  std::uint8_t extra = '0';
};

struct SensorHeaderFields {
  int a_mg = 400, b_mg = 400, c_mg = 500, d_mg = 0;
  char mode = 'M';
  int version[3] = {1, 4, 2};
  char quality = 'H';
  char letter24 = 'N';
  char rate = 'N';  // 'T' for 15 records a second
};

std::array<std::uint8_t, 124> FormatRecord(const SensorRecordFields& r);
std::array<std::uint8_t, 26> FormatHeader(const SensorHeaderFields& h);

// A whole data file: "CSMDAT", header, count, records, "CSMEND" (and the
// 32-bit count after it from 65,535 records on).
std::vector<std::uint8_t> FormatBlock(const SensorHeaderFields& h, const std::vector<std::array<std::uint8_t, 124>>& records);

// Writes a number right-aligned in width characters, zero-padded, with a
// sign when signed is set; independent of the C locale.
void PutNumber(std::uint8_t* at, int width, double value, int decimals, bool with_sign = false);

}  // namespace samplecard
