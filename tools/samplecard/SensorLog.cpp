#include "tools/samplecard/SensorLog.h"

#include "recording/SensorBlock.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace samplecard {

void PutNumber(std::uint8_t* at, int width, double value, int decimals, bool with_sign) {
  char digits[64];
  const double magnitude = std::fabs(value);
  auto result = std::to_chars(digits, digits + sizeof digits, magnitude, std::chars_format::fixed, decimals);
  const int length = static_cast<int>(result.ptr - digits);
  const int sign = with_sign ? 1 : (value < 0 ? 1 : 0);
  int pad = width - length - sign;
  int pos = 0;
  if (sign) at[pos++] = value < 0 ? '-' : '+';
  while (pad-- > 0 && pos < width) at[pos++] = '0';
  for (int i = 0; i < length && pos < width; ++i) at[pos++] = static_cast<std::uint8_t>(digits[i]);
}

namespace {

// ddmm.mmmm: whole degrees times 100 plus minutes.
double DegreesMinutes(double degrees) {
  const double a = std::fabs(degrees);
  const double whole = std::floor(a);
  return whole * 100.0 + (a - whole) * 60.0;
}

}  // namespace

std::array<std::uint8_t, 124> FormatRecord(const SensorRecordFields& r) {
  std::array<std::uint8_t, 124> b;
  b.fill(' ');
  std::memcpy(b.data(), "$GPS,", 5);
  b[5] = static_cast<std::uint8_t>(r.fix);
  PutNumber(b.data() + 6, 9, DegreesMinutes(r.latitude), 4);
  b[15] = r.latitude < 0 ? 0 : 'N';
  PutNumber(b.data() + 16, 10, DegreesMinutes(r.longitude), 4);
  b[26] = r.longitude < 0 ? 0 : 'E';
  PutNumber(b.data() + 27, 4, r.speed, 0);
  const int fields[6] = {r.year % 100, r.month, r.day, r.hour, r.minute, r.second};
  for (int i = 0; i < 6; ++i) PutNumber(b.data() + 31 + 2 * i, 2, fields[i], 0);
  b[43] = ',';
  if (r.add_seconds < 0) {
    std::memcpy(b.data() + 44, "***", 3);
  } else {
    PutNumber(b.data() + 44, 3, r.add_seconds, 0);
  }
  std::memcpy(b.data() + 47, ",ACC,", 5);
  std::memcpy(b.data() + 52, "G,XYZ", 5);
  PutNumber(b.data() + 57, 5, r.x_mg, 0, true);
  PutNumber(b.data() + 62, 5, r.y_mg, 0, true);
  PutNumber(b.data() + 67, 5, r.z_mg, 0, true);
  b[72] = static_cast<std::uint8_t>(r.user_mark);
  b[73] = static_cast<std::uint8_t>(r.axis);
  b[74] = static_cast<std::uint8_t>(r.assist);
  b[75] = static_cast<std::uint8_t>(r.emergency);
  b[76] = static_cast<std::uint8_t>(r.parking);
  b[77] = static_cast<std::uint8_t>(r.second_flag);
  b[122] = r.extra;
  b[123] = '\n';
  return b;
}

std::array<std::uint8_t, 26> FormatHeader(const SensorHeaderFields& h) {
  std::array<std::uint8_t, 26> b;
  b.fill(' ');
  PutNumber(b.data() + 0, 4, h.a_mg, 0);
  PutNumber(b.data() + 4, 4, h.b_mg, 0);
  PutNumber(b.data() + 8, 4, h.c_mg, 0);
  PutNumber(b.data() + 12, 4, h.d_mg, 0);
  b[16] = static_cast<std::uint8_t>(h.mode);
  for (int i = 0; i < 3; ++i) PutNumber(b.data() + 17 + 2 * i, 2, h.version[i], 0);
  b[23] = static_cast<std::uint8_t>(h.quality);
  b[24] = static_cast<std::uint8_t>(h.letter24);
  b[25] = static_cast<std::uint8_t>(h.rate);
  return b;
}

std::vector<std::uint8_t> FormatBlock(const SensorHeaderFields& h,
                                      const std::vector<std::array<std::uint8_t, 124>>& records) {
  return recording::FormatBlock(FormatHeader(h), records);
}

}  // namespace samplecard
