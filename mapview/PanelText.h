#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "mapview/InfoRecording.h"

namespace mapview {

// What the info panel's boxes show over their placeholder pictures.
inline constexpr std::string_view kDateTimePlaceholder = "0000/00/00 00:00:00";
inline constexpr std::string_view kAccelerationPlaceholder = "-0.00G";
inline constexpr std::string_view kSpeedUnit = "km/h";
inline constexpr int kTimeLapseFactor = 15;
inline constexpr int kSpeedCap = 999;

// "YYYY/MM/DD hh:mm:ss" of a frame: the recording's start plus frame x frame
// interval (x 15 for time-lapse), the elapsed milliseconds rounded, by
// calendar arithmetic on the start's own fields. A year of 2050 or later
// is shown 35 years earlier. Empty (the placeholder) without a recording,
// without a frame or when the time comes out zero.
std::optional<std::string> PanelDateTimeText(const InfoRecording& recording, int frame);

// "%.0f " of the speed capped at 999; empty (the placeholder) without a
// valid speed or for a negative one.
std::optional<std::string> PanelSpeedText(bool valid, double speed);

// "%.2fG" of an acceleration cut (not rounded) to two decimals as the
// recorder wrote it: the value in thousandths of G is rounded first, so a
// 32-bit 0.29 (0.2899999917) stays 0.29. Empty (the placeholder) at -5 or
// below.
std::optional<std::string> PanelAccelerationText(double g);

// The header's rate letter: "T" is a time-lapse recording; "N" and any
// letter the recorder does not write are normal ones, so a bad header never
// keeps the previous recording's flag.
bool IsTimeLapseRateLetter(char letter);

}  // namespace mapview
