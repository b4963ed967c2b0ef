#include "maintenance/FormatScript.h"

#include <gtest/gtest.h>

#include <string>

namespace maintenance {
namespace {

struct ScriptRow {
  const char* name;
  std::string entry;
  std::string script;
};

class ScriptBytes : public ::testing::TestWithParam<ScriptRow> {};

TEST_P(ScriptBytes, AreTheFourLinesWithCrLf) { EXPECT_EQ(FormatScript(GetParam().entry), GetParam().script); }

INSTANTIATE_TEST_SUITE_P(
    Entries, ScriptBytes,
    ::testing::Values(
        ScriptRow{"DriveLetterEntryKeepsLetterAndColon", "F:\\",
                  "select volume F:\r\nclean\r\ncreate partition primary\r\nformat fs=fat32\r\n"},
        ScriptRow{"DriveLetterEntryWithMoreTextIgnoresTheRest", "F:\\ (SD 8 GB)",
                  "select volume F:\r\nclean\r\ncreate partition primary\r\nformat fs=fat32\r\n"},
        ScriptRow{"StableDeviceNameIsUsedWhole", "/dev/disk/by-id/mmc-SD08G_0x1234abcd",
                  "select volume /dev/disk/by-id/mmc-SD08G_0x1234abcd\r\nclean\r\ncreate partition "
                  "primary\r\nformat fs=fat32\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

struct ParseRow {
  const char* name;
  std::string script;
  bool accepted;
};

class ScriptCheck : public ::testing::TestWithParam<ParseRow> {};

TEST_P(ScriptCheck, AcceptsOnlyTheExactLinesForAStableName) {
  const auto volume = ParseFormatScript(GetParam().script);
  EXPECT_EQ(volume.has_value(), GetParam().accepted);
  if (volume) {
    EXPECT_EQ(*volume, "/dev/disk/by-id/usb-Generic_SD_0001-0:0");
  }
}

const std::string kRest = "\r\nclean\r\ncreate partition primary\r\nformat fs=fat32\r\n";

INSTANTIATE_TEST_SUITE_P(
    Scripts, ScriptCheck,
    ::testing::Values(
        ParseRow{"OurOwn", FormatScript("/dev/disk/by-id/usb-Generic_SD_0001-0:0"), true},
        ParseRow{"DriveLetter", FormatScript("F:\\"), false},
        ParseRow{"PlainDeviceNode", "select volume /dev/sdb" + kRest, false},
        ParseRow{"ClimbsOutOfById", "select volume /dev/disk/by-id/../../sda" + kRest, false},
        ParseRow{"SubFolder", "select volume /dev/disk/by-id/a/b" + kRest, false},
        ParseRow{"EmptyName", "select volume /dev/disk/by-id/" + kRest, false},
        ParseRow{"BlankInName", "select volume /dev/disk/by-id/usb-a b" + kRest, false},
        ParseRow{"BareLineFeeds", "select volume /dev/disk/by-id/usb-a\nclean\ncreate partition primary\nformat fs=fat32\n",
                 false},
        ParseRow{"FifthLine", FormatScript("/dev/disk/by-id/usb-a") + "active\r\n", false},
        ParseRow{"MissingLastLineEnd", "select volume /dev/disk/by-id/usb-a\r\nclean\r\ncreate partition "
                                       "primary\r\nformat fs=fat32",
                 false},
        ParseRow{"LongerThanOneKiB", "select volume /dev/disk/by-id/" + std::string(1100, 'a') + kRest, false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace maintenance
