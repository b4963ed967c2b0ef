#include "viewer/commands/DisplaySettings.h"

#include <gtest/gtest.h>

#include <ostream>

#include "TestFiles.h"
#include "viewer/settings/FolderIni.h"

namespace viewer {
namespace {

class DisplaySettingsTest : public ::testing::Test {
 protected:
  void SetUp() override { InitializeSettings(dir_ / "start", dir_ / "config"); }
  testfiles::TempDir dir_;
};

struct VolumeRow {
  const char* name;
  const char* stored;
  int volume;
  const char* written_back;
};

void PrintTo(const VolumeRow& row, std::ostream* out) { *out << row.name; }

const VolumeRow kVolumes[] = {
    {"Empty", "", 65535, "65535"},
    {"NotANumber", "abc", 0, "0"},
    {"Plain", "30000", 30000, "30000"},
    {"TrailingLetters", "120x", 120, "120"},
    {"AboveTheRange", "70000", 65535, "65535"},
    {"Negative", "-5", 0, "0"},
    {"FarTooLarge", "99999999999999999999", 65535, "65535"},
    {"Zero", "0", 0, "0"},
};

class StartupVolume : public DisplaySettingsTest, public ::testing::WithParamInterface<VolumeRow> {};

// The effective volume is read, and writing it back leaves it in the file.
TEST_P(StartupVolume, ReadClampedAndWrittenBack) {
  const VolumeRow& r = GetParam();
  ASSERT_TRUE(WriteFolderIni(kSectionDisplay, kKeyVolume, r.stored));
  const DisplaySettings settings = ReadDisplaySettings();
  EXPECT_EQ(settings.volume, r.volume);
  ASSERT_TRUE(WriteVolumeSetting(settings.volume));
  EXPECT_EQ(ReadFolderIni(kSectionDisplay, kKeyVolume), r.written_back);
}

INSTANTIATE_TEST_SUITE_P(Rows, StartupVolume, ::testing::ValuesIn(kVolumes),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DisplaySettingsTest, KeepAspectOnlyForOn) {
  EXPECT_FALSE(ReadDisplaySettings().keep_aspect) << "missing";
  for (const auto& [text, on] : {std::pair{"on", true}, {"off", false}, {"ON", false}, {"", false}}) {
    WriteFolderIni(kSectionDisplay, kKeyAspect, text);
    EXPECT_EQ(ReadDisplaySettings().keep_aspect, on) << '"' << text << '"';
  }
  WriteKeepAspectSetting(false);
  EXPECT_EQ(ReadFolderIni(kSectionDisplay, kKeyAspect), "off");
  WriteKeepAspectSetting(true);
  EXPECT_EQ(ReadFolderIni(kSectionDisplay, kKeyAspect), "on");
}

TEST_F(DisplaySettingsTest, VolumeWritesAreClamped) {
  WriteVolumeSetting(-1);
  EXPECT_EQ(ReadFolderIni(kSectionDisplay, kKeyVolume), "0");
  WriteVolumeSetting(65536);
  EXPECT_EQ(ReadFolderIni(kSectionDisplay, kKeyVolume), "65535");
}

}  // namespace
}  // namespace viewer
