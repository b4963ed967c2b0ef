#include <gtest/gtest.h>
#include <linux/msdos_fs.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>

#include "FakeFileSystem.h"
#include "TestFiles.h"
#include "library/RecordingNames.h"
#include "platform/ScopedFileSystem.h"

namespace library {
namespace {

namespace fs = std::filesystem;

// A card made of an ordinary folder that the fake file system reports as a
// mount point; a temporary XDG_DATA_HOME holds the trash.
class Release : public ::testing::Test {
 protected:
  void SetUp() override {
    card_ = dir_ / "card";
    for (const char* top : {"Normal", "Parking"}) {
      for (const char* sub : {"Main", "Sub_", "Data"}) fs::create_directories(card_ / top / sub);
    }
    fake_.mount_points = {card_};
    setenv("XDG_DATA_HOME", (dir_ / "data").c_str(), 1);
  }
  void TearDown() override { unsetenv("XDG_DATA_HOME"); }

  fs::path Make(const fs::path& path) {
    testfiles::WriteStubRecording(path);
    return path;
  }
  fs::path MakeRecording(const fs::path& top, const std::string& base) {
    Make(top / "Sub_" / (base + "S.MOV"));
    Make(top / "Data" / (base + "D.ADA"));
    return Make(top / "Main" / (base + "M.MOV"));
  }
  std::size_t FilesIn(const fs::path& folder) {
    std::size_t n = 0;
    for (auto it = fs::recursive_directory_iterator(folder); it != fs::recursive_directory_iterator(); ++it) {
      n += it->is_regular_file() ? 1 : 0;
    }
    return n;
  }

  testfiles::TempDir dir_;
  fs::path card_;
  testfiles::FakeFileSystem fake_;
  platform::ScopedFileSystem scoped_{fake_};
};

const std::string kBase = "A__-240301-101500-000123";

TEST_F(Release, CardRecordingBecomesDmyAndKeepsItsData) {
  const fs::path main = MakeRecording(card_ / "Normal", kBase);
  EXPECT_TRUE(IsCardLayout(main));
  ASSERT_TRUE(ReleaseRecording(main));
  EXPECT_FALSE(fs::exists(main));
  EXPECT_TRUE(fs::exists(card_ / "Normal/Main" / (kBase + "M.DMY")));
  EXPECT_TRUE(fs::exists(card_ / "Normal/Sub_" / (kBase + "S.DMY")));
  EXPECT_TRUE(fs::exists(card_ / "Normal/Data" / (kBase + "D.ADA"))) << "data files keep their name";
  EXPECT_FALSE(fs::exists(dir_ / "data/Trash")) << "nothing goes to the trash on a card";
}

TEST_F(Release, RearAlreadyReleasedOnlyMovesTheMainFile) {
  const fs::path main = MakeRecording(card_ / "Normal", kBase);
  fs::rename(card_ / "Normal/Sub_" / (kBase + "S.MOV"), card_ / "Normal/Sub_" / (kBase + "S.DMY"));
  fake_.renames = 0;
  ASSERT_TRUE(ReleaseRecording(main));
  EXPECT_EQ(fake_.renames, 1);
  EXPECT_TRUE(fs::exists(card_ / "Normal/Main" / (kBase + "M.DMY")));
}

TEST_F(Release, ExistingDmyOfTheMainFileFails) {
  const fs::path main = MakeRecording(card_ / "Normal", kBase);
  Make(card_ / "Normal/Main" / (kBase + "M.DMY"));
  EXPECT_FALSE(ReleaseRecording(main));
  EXPECT_TRUE(fs::exists(main));
  EXPECT_TRUE(fs::exists(card_ / "Normal/Sub_" / (kBase + "S.MOV"))) << "nothing after the Main row is touched";
}

TEST_F(Release, AFailedMoveIsReported) {
  const fs::path main = MakeRecording(card_ / "Normal", kBase);
  fake_.unrenamable.insert(card_ / "Normal/Sub_" / (kBase + "S.MOV"));
  EXPECT_FALSE(ReleaseRecording(main)) << "the rear file stayed, so the release did not succeed";
  EXPECT_TRUE(fs::exists(card_ / "Normal/Main" / (kBase + "M.DMY"))) << "files already moved stay moved";
}

TEST_F(Release, HiddenAttributeFailureOnMainFails) {
  const fs::path main = MakeRecording(card_ / "Normal", kBase);
  fake_.unhideable.insert(main);
  EXPECT_FALSE(ReleaseRecording(main));
  EXPECT_TRUE(fs::exists(main));
}

TEST_F(Release, NormalWithoutParkingIsNoCardSoFilesGoToTheTrash) {
  fs::remove_all(card_ / "Parking");
  const fs::path main = MakeRecording(card_ / "Normal", kBase);
  const fs::path unrelated = Make(card_ / "Normal/Main" / "B__-240301-101600-000124M.MOV");
  ASSERT_TRUE(ReleaseRecording(main));
  EXPECT_FALSE(fs::exists(main));
  EXPECT_FALSE(fs::exists(card_ / "Normal/Sub_" / (kBase + "S.MOV")));
  EXPECT_FALSE(fs::exists(card_ / "Normal/Data" / (kBase + "D.ADA")));
  EXPECT_TRUE(fs::exists(unrelated)) << "nothing outside the recording is touched";
  EXPECT_EQ(FilesIn(dir_ / "data/Trash/files"), 3u);
  EXPECT_EQ(FilesIn(dir_ / "data/Trash/info"), 3u);
  std::ifstream info(dir_ / "data/Trash/info" / (kBase + "M.MOV.trashinfo"));
  std::string line;
  std::getline(info, line);
  EXPECT_EQ(line, "[Trash Info]");
  std::getline(info, line);
  EXPECT_EQ(line, "Path=" + main.string());
}

TEST_F(Release, SameNameTwiceInTheTrashGetsANewName) {
  fs::remove_all(card_ / "Parking");
  const fs::path file = Make(dir_ / "x" / "note.MOV");
  ASSERT_TRUE(DeleteToTrash(file));
  Make(file);
  ASSERT_TRUE(DeleteToTrash(file));
  EXPECT_TRUE(fs::exists(dir_ / "data/Trash/files/note.MOV"));
  EXPECT_TRUE(fs::exists(dir_ / "data/Trash/files/note.MOV.2"));
  EXPECT_FALSE(DeleteToTrash(file)) << "a missing file";
  EXPECT_FALSE(DeleteToTrash(""));
}

TEST_F(Release, RecordingRootWithAndWithoutCameraFolders) {
  const fs::path main = MakeRecording(card_ / "Normal", kBase);
  const RecordingRoot root = RecordingRootOf(main);
  EXPECT_EQ(root.root, card_ / "Normal");
  EXPECT_TRUE(root.in_subfolder);
  const RecordingRoot flat = RecordingRootOf(dir_ / "x" / (kBase + "M.MOV"));
  EXPECT_EQ(flat.root, dir_ / "x");
  EXPECT_FALSE(flat.in_subfolder);
}

TEST_F(Release, OnFatReleasedFilesAreHiddenAndLeftOutOfListings) {
  fake_.fat = true;
  const fs::path main = MakeRecording(card_ / "Normal", kBase);
  const fs::path other = MakeRecording(card_ / "Normal", "A__-240301-101600-000124");
  ASSERT_TRUE(ReleaseRecording(main));
  EXPECT_EQ(fake_.IsHidden(card_ / "Normal/Main" / (kBase + "M.DMY")), true);
  EXPECT_EQ(fake_.IsHidden(card_ / "Normal/Sub_" / (kBase + "S.DMY")), true);
  EXPECT_EQ(fake_.IsHidden(other), false);
  const auto listing = fake_.ListDirectory(card_ / "Normal/Main");
  ASSERT_TRUE(listing);
  std::vector<std::string> names;
  for (const auto& e : *listing) names.push_back(e.name);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{".", "..", other.filename().string()}));
}

TEST_F(Release, OnFatAFailedAttributeIoctlKeepsTheRecording) {
  for (unsigned long request : {FAT_IOCTL_GET_ATTRIBUTES, FAT_IOCTL_SET_ATTRIBUTES}) {
    fake_.fat = true;
    fake_.failing_ioctls = {request};
    const fs::path main = MakeRecording(card_ / "Normal", kBase);
    EXPECT_FALSE(ReleaseRecording(main)) << request;
    EXPECT_TRUE(fs::exists(main)) << "a file that could not be hidden is not renamed";
    EXPECT_FALSE(fs::exists(card_ / "Normal/Main" / (kBase + "M.DMY")));
  }
}

TEST(ReleaseOnFat, UsesTheHiddenAttributeWhereTheMachineCanMountAnImage) {
  testfiles::TempDir dir;
  const auto image = dir / "card.img";
  const auto mount = dir / "mnt";
  fs::create_directories(mount);
  int status = 0;
  testfiles::Run("truncate -s 8M '" + image.string() + "' && mkfs.vfat '" + image.string() + "' >/dev/null 2>&1 && mount -o loop '" +
                     image.string() + "' '" + mount.string() + "' 2>/dev/null",
                 &status);
  if (status != 0) GTEST_SKIP() << "cannot mount a FAT image here";
  for (const char* sub : {"Normal/Main", "Normal/Sub_", "Normal/Data", "Parking"}) fs::create_directories(mount / sub);
  const fs::path main = mount / "Normal/Main" / (kBase + "M.MOV");
  testfiles::WriteStubRecording(main);
  testfiles::WriteStubRecording(mount / "Normal/Sub_" / (kBase + "S.MOV"));
  const bool released = ReleaseRecording(main);
  const auto hidden = platform::Fs().IsHidden(mount / "Normal/Main" / (kBase + "M.DMY"));
  const auto listing = platform::Fs().ListDirectory(mount / "Normal/Main");
  testfiles::Run("umount '" + mount.string() + "'");
  EXPECT_TRUE(released);
  ASSERT_TRUE(hidden.has_value());
  EXPECT_TRUE(*hidden);
  ASSERT_TRUE(listing);
  EXPECT_EQ(listing->size(), 2u) << "hidden files are left out of listings";
}

}  // namespace
}  // namespace library
