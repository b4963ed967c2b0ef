#include "platform/LocalTime.h"

#include <sys/stat.h>

#include <ctime>

namespace platform {
namespace {

SystemTime FromTm(const std::tm& tm, int milliseconds) {
  SystemTime t;
  t.year = static_cast<std::uint16_t>(tm.tm_year + 1900);
  t.month = static_cast<std::uint16_t>(tm.tm_mon + 1);
  t.day_of_week = static_cast<std::uint16_t>(tm.tm_wday);
  t.day = static_cast<std::uint16_t>(tm.tm_mday);
  t.hour = static_cast<std::uint16_t>(tm.tm_hour);
  t.minute = static_cast<std::uint16_t>(tm.tm_min);
  t.second = static_cast<std::uint16_t>(tm.tm_sec);
  t.milliseconds = static_cast<std::uint16_t>(milliseconds);
  return t;
}

// Days from 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

// Civil date of a day count from 1970-01-01 (H. Hinnant's algorithm).
void CivilFromDays(std::int64_t z, int* year, int* month, int* day) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  *day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  *month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  *year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (*month <= 2));
}

// Seconds of local wall-clock time counted like UTC, with out-of-range
// fields rolled over the way mktime rolls them.
std::int64_t WallSeconds(int year, int month, int day, int hour, int minute, int second) {
  std::int64_t y = year;
  std::int64_t m0 = static_cast<std::int64_t>(month) - 1;
  y += FloorDiv(m0, 12);
  m0 -= FloorDiv(m0, 12) * 12;
  const std::int64_t days = DaysFromCivil(y, static_cast<unsigned>(m0 + 1), 1) + (static_cast<std::int64_t>(day) - 1);
  return days * 86400 + static_cast<std::int64_t>(hour) * 3600 + static_cast<std::int64_t>(minute) * 60 + second;
}

SystemTime FromWallSeconds(std::int64_t wall) {
  const std::int64_t days = FloorDiv(wall, 86400);
  const std::int64_t rest = wall - days * 86400;
  int year, month, day;
  CivilFromDays(days, &year, &month, &day);
  SystemTime t;
  t.year = static_cast<std::uint16_t>(year);
  t.month = static_cast<std::uint16_t>(month);
  t.day = static_cast<std::uint16_t>(day);
  t.day_of_week = static_cast<std::uint16_t>(((days % 7) + 11) % 7);  // 1970-01-01 was a Thursday
  t.hour = static_cast<std::uint16_t>(rest / 3600);
  t.minute = static_cast<std::uint16_t>(rest / 60 % 60);
  t.second = static_cast<std::uint16_t>(rest % 60);
  return t;
}

std::optional<std::int64_t> GmtOffsetAt(std::int64_t seconds) {
  const std::time_t t = static_cast<std::time_t>(seconds);
  std::tm tm{};
  if (localtime_r(&t, &tm) == nullptr) return std::nullopt;
  return static_cast<std::int64_t>(tm.tm_gmtoff);
}

}  // namespace

std::optional<std::int64_t> LocalTimeConverter::FieldsToUnixSeconds(int year, int month, int day, int hour, int minute,
                                                                     int second) {
  const std::int64_t wall = WallSeconds(year, month, day, hour, minute, second);
  const std::int64_t hour_number = FloorDiv(wall, 3600);
  if (hour_number != to_unix_.hour) {
    to_unix_.hour = hour_number;
    to_unix_.uniform = false;
    const SystemTime first = FromWallSeconds(hour_number * 3600);
    const SystemTime last = FromWallSeconds(hour_number * 3600 + 3599);
    auto a = LocalFieldsToUnixSeconds(first.year, first.month, first.day, first.hour, first.minute, first.second);
    auto b = LocalFieldsToUnixSeconds(last.year, last.month, last.day, last.hour, last.minute, last.second);
    if (a && b && *a - hour_number * 3600 == *b - (hour_number * 3600 + 3599)) {
      to_unix_.uniform = true;
      to_unix_.offset = *a - hour_number * 3600;
    }
  }
  if (!to_unix_.uniform) return LocalFieldsToUnixSeconds(year, month, day, hour, minute, second);
  return wall + to_unix_.offset;
}

std::optional<SystemTime> LocalTimeConverter::ToLocalTime(std::int64_t seconds) {
  const std::int64_t hour_number = FloorDiv(seconds, 3600);
  if (hour_number != to_local_.hour) {
    to_local_.hour = hour_number;
    to_local_.uniform = false;
    auto a = GmtOffsetAt(hour_number * 3600);
    auto b = GmtOffsetAt(hour_number * 3600 + 3599);
    if (a && b && *a == *b) {
      to_local_.uniform = true;
      to_local_.offset = *a;
    }
  }
  if (!to_local_.uniform) return UnixSecondsToLocalTime(seconds);
  const SystemTime t = FromWallSeconds(seconds + to_local_.offset);
  if (t.year < 1601 || t.year > 30827) return std::nullopt;
  return t;
}

std::optional<std::int64_t> LocalFieldsToUnixSeconds(int year, int month, int day, int hour, int minute, int second) {
  std::tm tm{};
  tm.tm_year = year - 1900;
  tm.tm_mon = month - 1;
  tm.tm_mday = day;
  tm.tm_hour = hour;
  tm.tm_min = minute;
  tm.tm_sec = second;
  tm.tm_isdst = 0;
  tm.tm_wday = -1;
  const std::time_t t = std::mktime(&tm);
  if (t == static_cast<std::time_t>(-1)) {
    // -1 is also a real instant (one second before the epoch in UTC); tell the
    // two apart by whether mktime normalised the fields.
    if (tm.tm_wday < 0) return std::nullopt;
  }
  return static_cast<std::int64_t>(t);
}

std::optional<SystemTime> UnixSecondsToLocalTime(std::int64_t seconds) {
  const std::time_t t = static_cast<std::time_t>(seconds);
  std::tm tm{};
  if (localtime_r(&t, &tm) == nullptr) return std::nullopt;
  if (tm.tm_year + 1900 < 1601 || tm.tm_year + 1900 > 30827) return std::nullopt;
  return FromTm(tm, 0);
}

std::optional<SystemTime> FileLastWriteLocalTime(const std::filesystem::path& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  std::tm tm{};
  if (localtime_r(&st.st_mtim.tv_sec, &tm) == nullptr) return std::nullopt;
  return FromTm(tm, static_cast<int>(st.st_mtim.tv_nsec / 1000000));
}

SystemTime NowLocalTime() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  std::tm tm{};
  localtime_r(&now.tv_sec, &tm);
  return FromTm(tm, static_cast<int>(now.tv_nsec / 1000000));
}

std::int64_t CalendarSecondsBetween(const SystemTime& a, const SystemTime& b) {
  auto seconds = [](const SystemTime& t) {
    return DaysFromCivil(t.year, t.month, t.day) * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
  };
  return seconds(b) - seconds(a);
}

SystemTime AddCalendarMilliseconds(const SystemTime& t, std::int64_t milliseconds) {
  const std::int64_t total =
      WallSeconds(t.year, t.month, t.day, t.hour, t.minute, t.second) * 1000 + t.milliseconds + milliseconds;
  const std::int64_t seconds = FloorDiv(total, 1000);
  SystemTime moved = FromWallSeconds(seconds);
  moved.milliseconds = static_cast<std::uint16_t>(total - seconds * 1000);
  return moved;
}

}  // namespace platform
