#include "platform/FileSystem.h"

#include <gtest/gtest.h>
#include <linux/msdos_fs.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <map>

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
}

// The real file system on a volume that acts as FAT: the attribute ioctls
// work on every file and folder, their attributes kept by inode.
class FatVolume : public FileSystem {
 public:
  int AttributeIoctl(int fd, unsigned long request, std::uint32_t* value) override {
    if (request == failing_request) return EIO;
    struct stat st {};
    if (fstat(fd, &st) != 0) return errno;
    std::uint32_t& stored = attributes[st.st_ino];
    if (request == FAT_IOCTL_GET_ATTRIBUTES) *value = stored;
    if (request == FAT_IOCTL_SET_ATTRIBUTES) stored = *value;
    return 0;
  }
  std::uint32_t& AttributesOf(const fs::path& path) {
    struct stat st {};
    stat(path.c_str(), &st);
    return attributes[st.st_ino];
  }
  std::map<ino_t, std::uint32_t> attributes;
  unsigned long failing_request = 0;
};

TEST_F(RealFiles, OnFatTheHiddenAttributeIsSetReadAndLeftOutOfListings) {
  FatVolume fat;
  std::ofstream(dir_ / "a.MOV") << "x";
  std::ofstream(dir_ / "b.MOV") << "x";
  fat.AttributesOf(dir_ / "b.MOV") = ATTR_RO;
  fat.AttributesOf(dir_) = ATTR_HIDDEN;  // "." stays listed whatever its attributes
  EXPECT_EQ(fat.IsHidden(dir_ / "b.MOV"), false);
  ASSERT_EQ(fat.SetHidden(dir_ / "b.MOV", true), AttributeResult::kDone);
  EXPECT_EQ(fat.IsHidden(dir_ / "b.MOV"), true);
  EXPECT_EQ(fat.AttributesOf(dir_ / "b.MOV"), std::uint32_t{ATTR_RO | ATTR_HIDDEN}) << "other attributes kept";
  auto listing = fat.ListDirectory(dir_);
  ASSERT_TRUE(listing);
  std::vector<std::string> names;
  for (const auto& e : *listing) names.push_back(e.name);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{".", "..", "a.MOV"}));
  ASSERT_EQ(fat.SetHidden(dir_ / "b.MOV", false), AttributeResult::kDone);
  EXPECT_EQ(fat.AttributesOf(dir_ / "b.MOV"), std::uint32_t{ATTR_RO});
  EXPECT_EQ(fat.ListDirectory(dir_)->size(), 4u);
}

TEST_F(RealFiles, OnFatAFailedAttributeIoctlFailsTheChange) {
  std::ofstream(dir_ / "a.MOV") << "x";
  for (unsigned long request : {FAT_IOCTL_GET_ATTRIBUTES, FAT_IOCTL_SET_ATTRIBUTES}) {
    FatVolume fat;
    fat.failing_request = request;
    EXPECT_EQ(fat.SetHidden(dir_ / "a.MOV", true), AttributeResult::kFailed) << request;
    EXPECT_EQ(fat.AttributesOf(dir_ / "a.MOV"), 0u);
  }
}

// A made-up mount table and sysfs tree.
class Volumes : public RealFiles {
 protected:
  void SetUp() override {
    RealFiles::SetUp();
    system_.system_files = {dir_ / "mountinfo", dir_ / "sys"};
    std::ofstream(dir_ / "mountinfo")
        << "22 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw\n"
           "30 22 8:17 / /media/usb\\040stick rw,nosuid shared:5 - vfat /dev/sdb1 rw,fmask=0022\n"
           "31 22 8:17 / /media/usb\\040stick rw,nosuid shared:5 - vfat /dev/sdb1 rw,fmask=0022\n"
           "32 22 179:1 / /media/sd rw shared:6 - exfat /dev/mmcblk0p1 rw\n"
           "33 22 8:32 / /media/whole rw - vfat /dev/sdc rw\n"
           "34 22 259:1 / /boot rw - vfat /dev/nvme0n1p1 rw\n"
           "35 22 0:30 / /tmp rw - tmpfs tmpfs rw\n";
    Disk("usb/block/sdb", "1", "sdb1");
    Disk("ata/block/sda", "0", "sda2");
    Disk("pci/block/sdc", "1", "");
    Disk("pci/nvme/nvme0n1", "0", "nvme0n1p1");
  }
  // A disk with its removable flag and, when given, one partition; both
  // named in class/block as the kernel does.
  void Disk(const std::string& device, const std::string& removable, const std::string& partition) {
    const fs::path disk = dir_ / "sys/devices" / device;
    fs::create_directories(disk);
    std::ofstream(disk / "removable") << removable << "\n";
    fs::create_directories(dir_ / "sys/class/block");
    fs::create_directory_symlink(disk, dir_ / "sys/class/block" / disk.filename());
    if (partition.empty()) return;
    fs::create_directories(disk / partition);
    fs::create_directory_symlink(disk / partition, dir_ / "sys/class/block" / partition);
  }
  FileSystem system_;
};

TEST_F(Volumes, RemovableDevicesAreUsbMediaAndSdSlots) {
  const std::pair<const char*, bool> rows[] = {
      {"/dev/sdb1", true},        // partition of a removable disk: the flag is on the disk
      {"/dev/sdc", true},         // a whole removable disk without partitions
      {"/dev/mmcblk0p1", true},   // an SD slot, whatever sysfs says
      {"/dev/sda2", false},       // partition of a fixed disk
      {"/dev/nvme0n1p1", false},  // another fixed disk
      {"/dev/sdz9", false},       // unknown to sysfs
      {"tmpfs", false},           // not a device
      {"/dev/../dev/sdb1", true},
  };
  for (const auto& [source, removable] : rows) EXPECT_EQ(system_.IsRemovableDevice(source), removable) << source;
}

TEST_F(Volumes, RemovableVolumesAreTheirMountPointsOnceAndSorted) {
  EXPECT_EQ(system_.RemovableVolumes(),
            (std::vector<fs::path>{"/media/sd", "/media/usb stick", "/media/whole"}));
  EXPECT_EQ(system_.MountPointOf("/media/usb stick/Normal/Main"), fs::path("/media/usb stick"));
  EXPECT_EQ(system_.MountPointOf("/media/usbstick"), fs::path("/"));
}

}  // namespace
}  // namespace platform
