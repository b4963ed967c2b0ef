#include "maintenance/VersionInfo.h"

#include <gtest/gtest.h>

namespace maintenance {
namespace {

TEST(VersionInfo, YearIsTheLastWordOfTheBuildDate) {
  EXPECT_EQ(BuildYear("Apr 18 2022"), "2022");
  EXPECT_EQ(BuildYear("Jan  1 2030"), "2030") << "a day below ten is padded with a blank";
  EXPECT_EQ(BuildYear("Dec 24 2031 "), "2031");
  EXPECT_EQ(VersionInfoText("Apr 18 2022"), "version 1.0.2\r\n\xC2\xA9 2022 Brennovale developers");
}

}  // namespace
}  // namespace maintenance
