#include "viewer/settings/FolderIni.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "FakeFileSystem.h"
#include "TestFiles.h"
#include "platform/ScopedFileSystem.h"
#include "viewer/settings/IniFile.h"

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

TEST_F(Settings, OnFatTheFileIsHiddenAndStillRead) {
  testfiles::FakeFileSystem fat;
  fat.fat = true;
  platform::ScopedFileSystem scoped(fat);
  ASSERT_TRUE(WriteFolderIni("SOURCE", "SELECT", "SD"));
  EXPECT_EQ(fat.IsHidden(SettingsFilePath()), true);
  ASSERT_TRUE(WriteFolderIni("SOURCE", "SELECT", "FILE"));
  EXPECT_EQ(fat.IsHidden(SettingsFilePath()), true) << "the replacing file is hidden again";
  EXPECT_EQ(ReadFolderIni("SOURCE", "SELECT"), "FILE");
}

TEST_F(Settings, WritersInOtherProcessesNeverLoseAValue) {
  // Processes, not threads: only the lock on the settings folder keeps their
  // read-modify-write cycles apart.
  constexpr int kWriters = 4;
  constexpr int kWrites = 40;
  std::vector<pid_t> writers;
  for (int t = 0; t < kWriters; ++t) {
    const pid_t pid = fork();
    ASSERT_GE(pid, 0) << std::strerror(errno);
    if (pid == 0) {
      bool ok = true;
      for (int i = 0; i < kWrites; ++i) ok = WriteFolderIni("STRESS", "K" + std::to_string(t), std::to_string(i)) && ok;
      _exit(ok ? 0 : 1);
    }
    writers.push_back(pid);
  }
  // Meanwhile a reader sees each value only grow: a lost update would take a
  // key back or away.
  int last[kWriters] = {-1, -1, -1, -1};
  std::size_t running = writers.size();
  std::vector<int> status(writers.size(), -1);
  while (running > 0) {
    for (int t = 0; t < kWriters; ++t) {
      const std::string v = ReadFolderIni("STRESS", "K" + std::to_string(t));
      if (v.empty()) {
        EXPECT_EQ(last[t], -1) << "K" << t << " vanished after " << last[t];
        continue;
      }
      const int n = std::stoi(v);
      EXPECT_GE(n, last[t]) << "K" << t;
      last[t] = n;
    }
    for (std::size_t w = 0; w < writers.size(); ++w) {
      if (status[w] == -1 && waitpid(writers[w], &status[w], WNOHANG) == writers[w]) --running;
    }
  }
  for (int s : status) EXPECT_TRUE(WIFEXITED(s) && WEXITSTATUS(s) == 0);
  for (int t = 0; t < kWriters; ++t) EXPECT_EQ(ReadFolderIni("STRESS", "K" + std::to_string(t)), std::to_string(kWrites - 1));
}

struct ReadFault {
  const char* name;
  int error;
  friend void PrintTo(const ReadFault& f, std::ostream* os) { *os << f.name; }
};

class UnreadableSettings : public Settings, public ::testing::WithParamInterface<ReadFault> {};

TEST_P(UnreadableSettings, AreNeverOverwritten) {
  ASSERT_TRUE(WriteFolderIni("SOURCE", "SELECT", "SD"));
  ASSERT_TRUE(WriteFolderIni("DISPLAY", "VOLUME", "100"));
  const auto before = testfiles::ReadFile(SettingsFilePath());
  {
    testfiles::FakeFileSystem fake;
    fake.read_errors[SettingsFilePath()] = GetParam().error;
    platform::ScopedFileSystem scoped(fake);
    EXPECT_EQ(VolumeSetting(), 65535) << "an unreadable file reads as the defaults";
    std::string error;
    EXPECT_FALSE(WriteFolderIni("DISPLAY", "ASPECT", "off", &error));
    EXPECT_NE(error.find(std::strerror(GetParam().error)), std::string::npos) << error;
    EXPECT_NE(error.find(SettingsFilePath().string()), std::string::npos) << error;
    WriteDisplayDefaultsIfMissing();
  }
  EXPECT_EQ(testfiles::ReadFile(SettingsFilePath()), before) << "not a byte changed";
  EXPECT_EQ(ReadFolderIni("SOURCE", "SELECT"), "SD");
  std::size_t files = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(SettingsFilePath().parent_path())) ++files;
  EXPECT_EQ(files, 1u) << "no temporary file is left";
}

INSTANTIATE_TEST_SUITE_P(Faults, UnreadableSettings,
                         ::testing::Values(ReadFault{"io_error", EIO}, ReadFault{"permission_denied", EACCES},
                                           ReadFault{"stale_handle", ESTALE}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace viewer
