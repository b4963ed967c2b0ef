#include "mapview/PanelText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace mapview {
namespace {

// Years from 2050 on are shown this much earlier.
constexpr int kLateYear = 2050;
constexpr int kLateYearShift = 35;
// Beyond this no sensor reading lies; it keeps the rounding in range.
constexpr double kLargestG = 1.0e6;

void AppendPadded(std::string& out, long long value, int width) {
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  const int length = static_cast<int>(end - digits);
  if (length < width) out.append(static_cast<std::size_t>(width - length), '0');
  out.append(digits, end);
}

}  // namespace

std::optional<std::string> PanelDateTimeText(const InfoRecording& recording, int frame) {
  const platform::SystemTime& start = recording.start;
  if (!recording.time_valid || frame < 0 || start.IsZero() || start.year == 0) return std::nullopt;
  const double interval = recording.frame_interval_ms;
  if (!std::isfinite(interval) || interval < 0) return std::nullopt;
  // 30 frames of 33.333332 ms are one second, not 999 ms.
  const double elapsed = static_cast<double>(frame) * interval * (recording.time_lapse ? kTimeLapseFactor : 1);
  const platform::SystemTime t = platform::AddCalendarMilliseconds(start, std::llround(elapsed));
  if (t.IsZero() || t.year == 0) return std::nullopt;
  const int year = t.year >= kLateYear ? t.year - kLateYearShift : t.year;
  std::string text;
  AppendPadded(text, year, 2);
  for (const auto& [separator, value] : {std::pair{'/', t.month}, std::pair{'/', t.day}, std::pair{' ', t.hour},
                                         std::pair{':', t.minute}, std::pair{':', t.second}}) {
    text.push_back(separator);
    AppendPadded(text, value, 2);
  }
  return text;
}

std::optional<std::string> PanelSpeedText(bool valid, double speed) {
  if (!valid || !(speed >= 0)) return std::nullopt;
  char digits[24];
  const auto end =
      std::to_chars(digits, digits + sizeof digits, std::min(speed, double{kSpeedCap}), std::chars_format::fixed, 0)
          .ptr;
  return std::string(digits, end) + " ";
}

std::optional<std::string> PanelAccelerationText(double g) {
  if (!(g > -5.0)) return std::nullopt;
  const long long thousandths = std::llround(std::min(g, kLargestG) * 1000.0);
  const long long hundredths = thousandths / 10;  // towards zero: a cut, not a rounding
  std::string text = hundredths < 0 ? "-" : "";
  AppendPadded(text, std::llabs(hundredths) / 100, 1);
  text.push_back('.');
  AppendPadded(text, std::llabs(hundredths) % 100, 2);
  text.push_back('G');
  return text;
}

bool IsTimeLapseRateLetter(char letter) { return letter == 'T'; }

}  // namespace mapview
