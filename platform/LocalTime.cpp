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

}  // namespace

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

}  // namespace platform
