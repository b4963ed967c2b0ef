#include "platform/LocalTime.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

namespace platform {
namespace {

class InTimeZone : public ::testing::Test {
 protected:
  void Use(const char* zone) {
    setenv("TZ", zone, 1);
    tzset();
  }
  void TearDown() override {
    if (saved_) {
      setenv("TZ", saved_->c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }
  std::optional<std::string> saved_ = std::getenv("TZ") ? std::optional<std::string>(std::getenv("TZ")) : std::nullopt;
};

TEST_F(InTimeZone, LocalFieldsRollOverAndComeBackAsLocalTime) {
  Use("Asia/Tokyo");
  auto seconds = LocalFieldsToUnixSeconds(2024, 2, 29, 23, 59, 69);
  ASSERT_TRUE(seconds);
  EXPECT_EQ(*seconds, 1709218809);  // 2024-03-01 00:00:09 +09:00
  auto local = UnixSecondsToLocalTime(*seconds);
  ASSERT_TRUE(local);
  EXPECT_EQ(local->month, 3);
  EXPECT_EQ(local->day, 1);
  EXPECT_EQ(local->second, 9);
  auto month13 = LocalFieldsToUnixSeconds(2024, 13, 1, 0, 0, 0);
  ASSERT_TRUE(month13);
  EXPECT_EQ(UnixSecondsToLocalTime(*month13)->year, 2025);
}

TEST_F(InTimeZone, UtcEpoch) {
  Use("UTC");
  EXPECT_EQ(LocalFieldsToUnixSeconds(1970, 1, 1, 0, 0, 0).value(), 0);
  EXPECT_EQ(LocalFieldsToUnixSeconds(1969, 12, 31, 23, 59, 59).value(), -1) << "-1 is a time, not a failure";
  const SystemTime t = UnixSecondsToLocalTime(0).value();
  EXPECT_EQ(t.year, 1970);
  EXPECT_EQ(t.day_of_week, 4);
}

TEST(CalendarSeconds, CountAcrossDaysAndMonths) {
  SystemTime a{2024, 2, 0, 29, 23, 59, 30, 0};
  SystemTime b{2024, 3, 0, 1, 0, 0, 30, 0};
  EXPECT_EQ(CalendarSecondsBetween(a, b), 60);
  EXPECT_EQ(CalendarSecondsBetween(b, a), -60);
}

TEST(FileTimes, LastWriteIsLocal) {
  const auto t = FileLastWriteLocalTime("/");
  ASSERT_TRUE(t);
  EXPECT_GE(t->year, 1970);
  EXPECT_FALSE(FileLastWriteLocalTime("/nonexistent/file"));
}

}  // namespace
}  // namespace platform

namespace platform {
namespace {

// The hour-cached converter must give exactly what the plain conversions
// give, across daylight-saving changes and half-hour zones.
TEST_F(InTimeZone, ConverterMatchesThePlainConversions) {
  for (const char* zone : {"Asia/Tokyo", "Europe/Berlin", "Australia/Lord_Howe", "America/St_Johns", "UTC"}) {
    Use(zone);
    LocalTimeConverter converter;
    // 2024-03-30 to 2024-04-08 covers the European spring change and the
    // southern autumn change; 7-minute steps cross every hour boundary.
    for (int minute = 0; minute < 10 * 24 * 60; minute += 7) {
      const int day = 30 + minute / (24 * 60), hour = minute / 60 % 24, min = minute % 60;
      const auto plain = LocalFieldsToUnixSeconds(2024, 3, day, hour, min, 13);
      const auto fast = converter.FieldsToUnixSeconds(2024, 3, day, hour, min, 13);
      ASSERT_EQ(plain, fast) << zone << " minute " << minute;
      ASSERT_TRUE(plain);
      ASSERT_EQ(UnixSecondsToLocalTime(*plain), converter.ToLocalTime(*plain)) << zone << " minute " << minute;
    }
    for (std::int64_t t = 1711846800 - 7200; t < 1711846800 + 7200; t += 59) {
      ASSERT_EQ(UnixSecondsToLocalTime(t), converter.ToLocalTime(t)) << zone << " at " << t;
    }
  }
}

}  // namespace
}  // namespace platform
