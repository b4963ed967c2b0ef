#pragma once

#include <climits>
#include <cstdint>
#include <filesystem>
#include <optional>

namespace platform {

// A calendar date and time, field for field as the recorder's tools and the
// rest of the viewer pass it around. All zero means "no time".
struct SystemTime {
  std::uint16_t year = 0;
  std::uint16_t month = 0;
  std::uint16_t day_of_week = 0;  // 0 = Sunday
  std::uint16_t day = 0;
  std::uint16_t hour = 0;
  std::uint16_t minute = 0;
  std::uint16_t second = 0;
  std::uint16_t milliseconds = 0;

  bool IsZero() const { return year == 0 && month == 0 && day == 0 && hour == 0 && minute == 0 && second == 0; }
  friend bool operator==(const SystemTime&, const SystemTime&) = default;
};

// Reads the fields as local civil time with daylight saving off, letting
// out-of-range fields roll over into the next unit, and gives seconds since
// 1970-01-01 00:00:00 UTC. Empty when the C library cannot convert them.
std::optional<std::int64_t> LocalFieldsToUnixSeconds(int year, int month, int day, int hour, int minute, int second);

// Seconds since the epoch as local date and time. Empty when out of range.
std::optional<SystemTime> UnixSecondsToLocalTime(std::int64_t seconds);

// The two conversions above for many nearby times, as a long sensor log
// needs them: the zone's offset is looked up once per hour and reused while
// it is the same at both ends of that hour, so the result always equals the
// plain conversion. One converter per thread.
class LocalTimeConverter {
 public:
  std::optional<std::int64_t> FieldsToUnixSeconds(int year, int month, int day, int hour, int minute, int second);
  std::optional<SystemTime> ToLocalTime(std::int64_t seconds);

 private:
  struct HourOffset {
    std::int64_t hour = INT64_MIN;  // hour number the offset was found for
    bool uniform = false;           // the same offset holds for the whole hour
    std::int64_t offset = 0;
  };
  HourOffset to_unix_;
  HourOffset to_local_;
};

// The file's last modification time as local date and time.
std::optional<SystemTime> FileLastWriteLocalTime(const std::filesystem::path& path);

// The current local date and time.
SystemTime NowLocalTime();

// Seconds between two local times compared as calendar times (b - a).
std::int64_t CalendarSecondsBetween(const SystemTime& a, const SystemTime& b);
// t moved by a number of milliseconds (its own milliseconds field included)
// as plain calendar arithmetic: no time zone, no daylight-saving shift.
SystemTime AddCalendarMilliseconds(const SystemTime& t, std::int64_t milliseconds);

}  // namespace platform
