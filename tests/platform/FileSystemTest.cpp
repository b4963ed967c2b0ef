#include "platform/FileSystem.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <fstream>

namespace platform {
namespace {

namespace fs = std::filesystem;

class RealFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/brennovale-fs-XXXXXX";
    ASSERT_NE(mkdtemp(name), nullptr);
    dir_ = name;
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
};

TEST_F(RealFiles, ListingLeavesOutDotFilesButKeepsDotAndDotDot) {
  std::ofstream(dir_ / "a.MOV") << "x";
  std::ofstream(dir_ / ".hidden") << "x";
  fs::create_directories(dir_ / "Main");
  auto listing = Fs().ListDirectory(dir_);
  ASSERT_TRUE(listing);
  std::vector<std::string> names;
  for (const auto& e : *listing) names.push_back(e.name + (e.is_directory ? "/" : ""));
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"../", "./", "Main/", "a.MOV"}));
  EXPECT_FALSE(Fs().ListDirectory(dir_ / "missing"));
}

TEST_F(RealFiles, AtomicWriteReplacesWholeFilesOnly) {
  const fs::path file = dir_ / "settings.ini";
  ASSERT_TRUE(Fs().WriteFileAtomically(file, "first"));
  ASSERT_TRUE(Fs().WriteFileAtomically(file, "second"));
  std::ifstream in(file);
  std::string text;
  std::getline(in, text);
  EXPECT_EQ(text, "second");
  EXPECT_FALSE(Fs().WriteFileAtomically(dir_ / "missing" / "x.ini", "y"));
  std::size_t files = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir_)) ++files;
  EXPECT_EQ(files, 1u) << "no temporary file is left";
}

TEST_F(RealFiles, SizesAttributesAndMountPoints) {
  std::ofstream(dir_ / "f") << "12345";
  EXPECT_EQ(Fs().FileSize(dir_ / "f"), 5u);
  EXPECT_FALSE(Fs().FileSize(dir_ / "missing"));
  EXPECT_FALSE(Fs().FileSize(dir_)) << "a folder has no file size";
  EXPECT_NE(Fs().SetHidden(dir_ / "f", true), AttributeResult::kDone) << "no hidden attribute outside FAT";
  EXPECT_EQ(Fs().SetHidden(dir_ / "missing", true), AttributeResult::kFailed);
  EXPECT_EQ(Fs().MountPointOf("/"), fs::path("/"));
  const fs::path mount = Fs().MountPointOf(dir_ / "f");
  EXPECT_EQ((dir_ / "f").string().rfind(mount.string(), 0), 0u) << mount;
  for (const auto& volume : Fs().RemovableVolumes()) EXPECT_TRUE(volume.is_absolute());
}

}  // namespace
}  // namespace platform
