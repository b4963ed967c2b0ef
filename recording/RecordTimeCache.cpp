#include "recording/RecordTimeCache.h"

#include <cstddef>
#include <cstring>

#include "recording/LenientNumber.h"

namespace recording {
namespace {

int SmallField(const std::uint8_t* field, std::size_t width) {
  const double v = LenientNumber(reinterpret_cast<const char*>(field), width);
  if (!(v > -1e6 && v < 1e6)) return 0;
  return static_cast<int>(v);
}

}  // namespace

platform::SystemTime RecordTimeCache::Convert(const std::uint8_t* r) {
  std::uint8_t key[15];
  std::memcpy(key, r + 31, 12);
  std::memcpy(key + 12, r + 44, 3);
  if (valid_ && std::memcmp(key, key_, sizeof key) == 0) return value_;

  const auto two = [r](int at) { return SmallField(r + at, 2); };
  std::int64_t seconds =
      converter_.FieldsToUnixSeconds(2000 + two(31), two(33), two(35), two(37), two(39), two(41)).value_or(0);
  if (r[44] != '*') seconds += SmallField(r + 44, 3);
  auto local = converter_.ToLocalTime(seconds);
  if (!local) local = platform::UnixSecondsToLocalTime(0);

  std::memcpy(key_, key, sizeof key);
  valid_ = true;
  value_ = local.value_or(platform::SystemTime{});
  return value_;
}

}  // namespace recording
