#include "mapview/PanelText.h"

#include <gtest/gtest.h>

#include <cmath>

namespace mapview {
namespace {

constexpr float kFrame30 = 1000.0F / 30.0F;  // as the list stores it: 33.333332

struct DateRow {
  const char* name;
  platform::SystemTime start;
  int frame;
  float interval;
  bool time_lapse;
  std::optional<std::string> expected;
};

platform::SystemTime At(int y, int mo, int d, int h, int mi, int s, int ms = 0) {
  platform::SystemTime t;
  t.year = static_cast<std::uint16_t>(y);
  t.month = static_cast<std::uint16_t>(mo);
  t.day = static_cast<std::uint16_t>(d);
  t.hour = static_cast<std::uint16_t>(h);
  t.minute = static_cast<std::uint16_t>(mi);
  t.second = static_cast<std::uint16_t>(s);
  t.milliseconds = static_cast<std::uint16_t>(ms);
  return t;
}

class DateTimeText : public ::testing::TestWithParam<DateRow> {};

TEST_P(DateTimeText, Shows) {
  const DateRow& row = GetParam();
  InfoRecording recording{true, row.start, row.interval, row.time_lapse};
  EXPECT_EQ(PanelDateTimeText(recording, row.frame), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DateTimeText,
    ::testing::Values(
        DateRow{"FrameZeroIsTheStart", At(2024, 5, 6, 7, 8, 9), 0, kFrame30, false, "2024/05/06 07:08:09"},
        DateRow{"ThirtyFramesOf33333332AreOneSecond", At(2024, 5, 6, 12, 0, 0), 30, kFrame30, false,
                "2024/05/06 12:00:01"},
        DateRow{"TwentyNineFramesAreStillTheFirstSecond", At(2024, 5, 6, 12, 0, 0), 29, kFrame30, false,
                "2024/05/06 12:00:00"},
        DateRow{"TimeLapseFrame30IsFifteenSeconds", At(2024, 5, 6, 12, 0, 0), 30, kFrame30, true,
                "2024/05/06 12:00:15"},
        DateRow{"CrossesMidnightAndTheYear", At(2023, 12, 31, 23, 59, 59), 30, kFrame30, false, "2024/01/01 00:00:00"},
        DateRow{"LeapDay", At(2024, 2, 28, 23, 59, 30), 900, kFrame30, false, "2024/02/29 00:00:00"},
        // 02:00 on this day does not exist in Europe/Berlin (the test's zone).
        DateRow{"DaylightSavingStartDoesNotShift", At(2026, 3, 29, 1, 59, 59), 30, kFrame30, false,
                "2026/03/29 02:00:00"},
        DateRow{"DaylightSavingEndDoesNotRepeat", At(2026, 10, 25, 2, 59, 59), 60, kFrame30, false,
                "2026/10/25 03:00:01"},
        DateRow{"StartMillisecondsCarry", At(2024, 5, 6, 12, 0, 0, 990), 1, kFrame30, false, "2024/05/06 12:00:01"},
        DateRow{"Year2049Stays", At(2049, 12, 31, 23, 59, 58), 30, kFrame30, false, "2049/12/31 23:59:59"},
        DateRow{"Year2050IsShown35Earlier", At(2049, 12, 31, 23, 59, 59), 30, kFrame30, false, "2015/01/01 00:00:00"},
        DateRow{"Year2085IsShownAs2050", At(2085, 6, 1, 0, 0, 0), 0, kFrame30, false, "2050/06/01 00:00:00"},
        DateRow{"NoFrame", At(2024, 5, 6, 7, 8, 9), -1, kFrame30, false, std::nullopt},
        DateRow{"ZeroStart", platform::SystemTime{}, 30, kFrame30, false, std::nullopt},
        DateRow{"NegativeInterval", At(2024, 5, 6, 7, 8, 9), 30, -1.0F, false, std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DateTimeText, NoRecordingShowsThePlaceholder) {
  InfoRecording recording{false, At(2024, 5, 6, 7, 8, 9), kFrame30, false};
  EXPECT_EQ(PanelDateTimeText(recording, 10), std::nullopt);
}

struct SpeedRow {
  const char* name;
  bool valid;
  double speed;
  std::optional<std::string> expected;
};

class SpeedText : public ::testing::TestWithParam<SpeedRow> {};

TEST_P(SpeedText, Shows) { EXPECT_EQ(PanelSpeedText(GetParam().valid, GetParam().speed), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(Rows, SpeedText,
                         ::testing::Values(SpeedRow{"Standing", true, 0.0, "0 "},
                                           SpeedRow{"RoundsToWholeKmh", true, 57.6, "58 "},
                                           SpeedRow{"CappedAt999", true, 1234.6, "999 "},
                                           SpeedRow{"JustBelowTheCapRoundsToIt", true, 998.7, "999 "},
                                           SpeedRow{"InvalidFix", false, 40.0, std::nullopt},
                                           SpeedRow{"ResetValue", true, -1.0, std::nullopt},
                                           SpeedRow{"NotANumber", true, std::nan(""), std::nullopt}),
                         [](const auto& info) { return std::string(info.param.name); });

struct GRow {
  const char* name;
  double g;
  std::optional<std::string> expected;
};

class AccelerationText : public ::testing::TestWithParam<GRow> {};

TEST_P(AccelerationText, Shows) { EXPECT_EQ(PanelAccelerationText(GetParam().g), GetParam().expected); }

// The sensor data arrives as the field / 1000 in 32-bit float.
double FromField(int thousandths) { return static_cast<double>(static_cast<float>(thousandths) / 1000.0F); }

INSTANTIATE_TEST_SUITE_P(
    Rows, AccelerationText,
    ::testing::Values(GRow{"Zero", 0.0, "0.00G"}, GRow{"Float029StaysAt029", FromField(290), "0.29G"},
                      GRow{"Float0999IsCutNotRounded", FromField(999), "0.99G"},
                      GRow{"SmallNegativeIsCutTowardZero", FromField(-19), "-0.01G"},
                      GRow{"NegativeBelowAHundredthHasNoSign", FromField(-5), "0.00G"},
                      GRow{"NegativeFloat", FromField(-1070), "-1.07G"},
                      GRow{"JustAboveTheMissingMark", FromField(-4999), "-4.99G"},
                      GRow{"BeyondTenG", FromField(12345), "12.34G"},
                      GRow{"MissingMark", -5.0, std::nullopt}, GRow{"BelowTheMissingMark", -7.5, std::nullopt},
                      GRow{"NotANumber", std::nan(""), std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RateLetter, OnlyTIsTimeLapse) {
  EXPECT_TRUE(IsTimeLapseRateLetter('T'));
  EXPECT_FALSE(IsTimeLapseRateLetter('N'));
  EXPECT_FALSE(IsTimeLapseRateLetter('X')) << "an unknown letter is a normal recording";
  EXPECT_FALSE(IsTimeLapseRateLetter('\0'));
}

}  // namespace
}  // namespace mapview
