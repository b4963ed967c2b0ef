#include "viewer/FolderIni.h"

#include <gtest/gtest.h>

#include <thread>

#include "FakeFileSystem.h"
#include "TestFiles.h"
#include "viewer/IniFile.h"

namespace viewer {
namespace {

namespace fs = std::filesystem;

class Settings : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(start_);
    InitializeSettings(start_, config_);
  }
  testfiles::TempDir dir_;
  fs::path start_ = dir_ / "start";
  fs::path config_ = dir_ / "config";
};

TEST_F(Settings, MissingFileGetsTheDisplayDefaultsInTheConfigFolder) {
  EXPECT_EQ(SettingsFilePath(), config_ / "brennovale" / "Default_Folder.ini");
  EXPECT_FALSE(SettingsFileExists());
  EXPECT_EQ(ReadFolderIni("DISPLAY", "VOLUME"), "");
  EXPECT_EQ(VolumeSetting(), 65535);
  EXPECT_FALSE(KeepAspectSetting());
  WriteDisplayDefaultsIfMissing();
  EXPECT_EQ(ReadFolderIni("DISPLAY", "INFOCHECK"), "31");
  EXPECT_EQ(ReadFolderIni("DISPLAY", "ASPECT"), "on");
  EXPECT_EQ(ReadFolderIni("DISPLAY", "VOLUME"), "65535");
  WriteFolderIni("DISPLAY", "VOLUME", "100");
  WriteDisplayDefaultsIfMissing();
  EXPECT_EQ(ReadFolderIni("DISPLAY", "VOLUME"), "100") << "defaults only go into a missing file";
  EXPECT_EQ(StartupFolder(), start_);
}

TEST_F(Settings, FileInTheStartupFolderMakesAPortableSetUp) {
  testfiles::WriteFile(start_ / "Default_Folder.ini", testfiles::Text("[DECODE]\r\nHW=ON\r\n"));
  InitializeSettings(start_, config_);
  EXPECT_EQ(SettingsFilePath(), start_ / "Default_Folder.ini");
  EXPECT_FALSE(HardwareDecodeSetting()) << "the comparison with \"on\" is exact";
  WriteFolderIni("DECODE", "HW", "on");
  EXPECT_TRUE(HardwareDecodeSetting());
  EXPECT_FALSE(fs::exists(config_));
}

TEST_F(Settings, VolumeReadsLikeADecimalConversion) {
  for (const auto& [text, volume] : {std::pair{"", 65535}, {"abc", 0}, {"120x", 120}, {" 42", 42}, {"-5", -5}}) {
    WriteFolderIni("DISPLAY", "VOLUME", text);
    EXPECT_EQ(VolumeSetting(), volume) << '"' << text << '"';
  }
}

TEST_F(Settings, UnknownKeysAndOddSpacingSurviveAWrite) {
  fs::create_directories(config_ / "brennovale");
  testfiles::WriteFile(SettingsFilePath(), testfiles::Text("[DISPLAY]\n ASPECT = off \nMYKEY=1\n[PLUGIN]\nz = 9\n"));
  ASSERT_TRUE(WriteFolderIni("display", "aspect", "on"));
  const auto text = testfiles::ReadFile(SettingsFilePath());
  const IniFile ini = IniFile::Parse(std::string(text.begin(), text.end()));
  EXPECT_EQ(ini.Get("DISPLAY", "MYKEY"), "1");
  EXPECT_EQ(ini.Get("PLUGIN", "z"), "9");
  EXPECT_EQ(ini.Get("DISPLAY", "ASPECT"), "on");
}

TEST_F(Settings, LongValuesAreCut) {
  WriteFolderIni("FOLDERPATH", "CSV_FOLDER", std::string(300, 'a'));
  EXPECT_EQ(ReadFolderIni("FOLDERPATH", "CSV_FOLDER").size(), 259u);
}

TEST_F(Settings, FailedWriteLeavesTheFileAsItWas) {
  WriteFolderIni("SOURCE", "SELECT", "SD");
  testfiles::FakeFileSystem fake;
  fake.writes_fail = true;
  platform::ScopedFileSystem scoped(fake);
  EXPECT_FALSE(WriteFolderIni("SOURCE", "SELECT", "FOLDER"));
  EXPECT_EQ(ReadFolderIni("SOURCE", "SELECT"), "SD");
  std::size_t files = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(SettingsFilePath().parent_path())) ++files;
  EXPECT_EQ(files, 1u) << "no temporary file is left";
}

TEST_F(Settings, ConcurrentWritersNeverBreakTheFile) {
  const std::string keys[] = {"K0", "K1", "K2", "K3"};
  std::vector<std::thread> writers;
  for (int t = 0; t < 4; ++t) {
    writers.emplace_back([&keys, t] {
      for (int i = 0; i < 50; ++i) WriteFolderIni("STRESS", keys[t], std::to_string(i));
    });
  }
  // A reader meanwhile always sees a whole file.
  for (int i = 0; i < 200; ++i) {
    const std::string v = ReadFolderIni("STRESS", "K0");
    EXPECT_TRUE(v.empty() || std::stoi(v) >= 0);
  }
  for (auto& w : writers) w.join();
  for (const std::string& key : keys) EXPECT_EQ(ReadFolderIni("STRESS", key), "49");
}

}  // namespace
}  // namespace viewer
