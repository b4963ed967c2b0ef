#include "maintenance/CardDevices.h"

#include <gtest/gtest.h>

#include "FakeDiskTree.h"
#include "TestFiles.h"

namespace maintenance {
namespace {

constexpr char kUsb[] = "pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0/host6/target6:0:0/6:0:0:";
constexpr char kSata[] = "pci0000:00/0000:00:17.0/ata1/host0/target0:0:0/0:0:0:";
constexpr char kMmc[] = "platform/soc/mmc";

// A machine with two cards (an SD card in its slot, a card reader on USB)
// and every kind of disk that must never be offered.
class Machine : public ::testing::Test {
 protected:
  void SetUp() override {
    // The SD card, mounted, with a label.
    tree_.AddDisk("mmcblk1", "179:96", std::string(kMmc) + "1/mmc_host/mmc1/mmc1:aaaa",
                  {{"size", "15523840"}, {"removable", "0"}, {"device/type", "SD"}, {"device/name", "SD08G"},
                   {"device/serial", "0x00001234"}});
    tree_.AddPartition("mmcblk1", "mmcblk1p1", "179:97");
    tree_.Mount("179:97", "/media/user/CARD", "/dev/mmcblk1p1");
    tree_.AddById("mmc-SD08G_0x00001234", "mmcblk1");
    tree_.AddById("mmc-SD08G_0x00001234-part1", "mmcblk1p1");
    tree_.AddByLabel("CARD", "mmcblk1p1");
    // A USB card reader with a card, not mounted.
    tree_.AddDisk("sdc", "8:32", std::string(kUsb) + "0",
                  {{"size", "62333952"}, {"removable", "1"}, {"device/vendor", "Generic "},
                   {"device/model", "STORAGE DEVICE  "}});
    tree_.AddById("usb-Generic_STORAGE_DEVICE_000000000819-0:0", "sdc");

    // Built-in memory: an eMMC with its boot and rpmb parts.
    const std::string emmc = std::string(kMmc) + "0/mmc_host/mmc0/mmc0:0001";
    tree_.AddDisk("mmcblk0", "179:0", emmc, {{"size", "61071360"}, {"removable", "0"}, {"device/type", "MMC"}});
    tree_.AddDisk("mmcblk0boot0", "179:8", emmc, {{"size", "8192"}, {"removable", "0"}, {"device/type", "MMC"}});
    tree_.AddDisk("mmcblk0boot1", "179:16", emmc, {{"size", "8192"}, {"removable", "0"}, {"device/type", "MMC"}});
    tree_.AddDisk("mmcblk0rpmb", "179:24", emmc, {{"size", "8192"}, {"removable", "0"}, {"device/type", "SD"}});
    // A loop device holding an image.
    tree_.AddDisk("loop0", "7:0", "virtual", {{"size", "131072"}, {"removable", "0"}});
    tree_.Mount("7:0", "/media/user/image", "/dev/loop0");
    // The system runs from a USB stick: "/" on a mapped device made of its
    // second partition, /boot on its first.
    tree_.AddDisk("sdd", "8:48", std::string(kUsb) + "1", {{"size", "60000000"}, {"removable", "1"}});
    tree_.AddPartition("sdd", "sdd1", "8:49");
    tree_.AddPartition("sdd", "sdd2", "8:50");
    tree_.AddDisk("dm-1", "254:1", "virtual", {{"size", "50000000"}, {"removable", "0"}});
    tree_.AddHolder("sdd2", "dm-1");
    tree_.Mount("254:1", "/", "/dev/mapper/root");
    tree_.Mount("8:49", "/boot", "/dev/sdd1");
    // Swap on another removable stick.
    tree_.AddDisk("sde", "8:64", std::string(kUsb) + "2", {{"size", "8000000"}, {"removable", "1"}});
    tree_.AddPartition("sde", "sde1", "8:65");
    tree_.AddSwap("/dev/sde1");
    // /boot/efi on yet another.
    tree_.AddDisk("sdf", "8:80", std::string(kUsb) + "3", {{"size", "8000000"}, {"removable", "1"}});
    tree_.AddPartition("sdf", "sdf1", "8:81");
    tree_.Mount("8:81", "/boot/efi", "/dev/sdf1");
    // A removable disk that is a RAID member.
    tree_.AddDisk("sdg", "8:96", std::string(kUsb) + "4", {{"size", "8000000"}, {"removable", "1"}});
    tree_.AddPartition("sdg", "sdg1", "8:97");
    tree_.AddDisk("md0", "9:0", "virtual", {{"size", "8000000"}, {"removable", "0"}});
    tree_.AddHolder("sdg1", "md0");
    // The program runs from this one.
    tree_.AddDisk("sdh", "8:112", std::string(kUsb) + "5", {{"size", "8000000"}, {"removable", "1"}});
    tree_.AddPartition("sdh", "sdh1", "8:113");
    // Removable, but on SATA; and a USB disk that is not removable.
    tree_.AddDisk("sdi", "8:128", std::string(kSata) + "1", {{"size", "8000000"}, {"removable", "1"}});
    tree_.AddDisk("sdj", "8:144", std::string(kUsb) + "6", {{"size", "8000000"}, {"removable", "0"}});
    // A card reader without a card.
    tree_.AddDisk("sdk", "8:160", std::string(kUsb) + "7", {{"size", "0"}, {"removable", "1"}});
  }
  CardDevices Devices() const {
    return CardDevices({tree_.sysfs(), tree_.mountinfo(), tree_.swaps(), tree_.dev()}, {"8:113"});
  }

  testfiles::TempDir dir_;
  testfiles::FakeDiskTree tree_{dir_.path()};
};

TEST_F(Machine, ListsOnlyTheTwoCards) {
  const std::vector<CardDevice> cards = Devices().List();
  ASSERT_EQ(cards.size(), 2u);
  EXPECT_EQ(cards[0].name, "mmcblk1");
  EXPECT_EQ(cards[1].name, "sdc");
}

TEST_F(Machine, NamesEachCardForTheQuestion) {
  const auto sd = Devices().Find("mmcblk1");
  ASSERT_TRUE(sd);
  EXPECT_EQ(sd->by_id, "/dev/disk/by-id/mmc-SD08G_0x00001234") << "the whole disk's link, not the partition's";
  EXPECT_EQ(sd->size, 15523840ULL * 512);
  EXPECT_EQ(sd->serial, "0x00001234");
  EXPECT_EQ(sd->model, "SD08G");
  EXPECT_EQ(sd->label, "CARD");
  ASSERT_EQ(sd->mount_points.size(), 1u);
  EXPECT_EQ(sd->mount_points[0], "/media/user/CARD");

  const auto usb = Devices().Find("sdc");
  ASSERT_TRUE(usb);
  EXPECT_EQ(usb->by_id, "/dev/disk/by-id/usb-Generic_STORAGE_DEVICE_000000000819-0:0");
  EXPECT_EQ(usb->serial, "usb-Generic_STORAGE_DEVICE_000000000819-0:0");
  EXPECT_EQ(usb->model, "Generic STORAGE DEVICE");
  EXPECT_TRUE(usb->label.empty());
  EXPECT_TRUE(usb->mount_points.empty());
}

struct RefusedRow {
  const char* name;
  const char* disk;
  const char* reason;  // a part of the reason given
};

class Refused : public Machine, public ::testing::WithParamInterface<RefusedRow> {};

TEST_P(Refused, IsNeverACard) {
  const CardDevices devices = Devices();
  EXPECT_NE(devices.Refusal(GetParam().disk).find(GetParam().reason), std::string::npos)
      << devices.Refusal(GetParam().disk);
  EXPECT_FALSE(devices.Find(GetParam().disk));
}

INSTANTIATE_TEST_SUITE_P(
    Disks, Refused,
    ::testing::Values(RefusedRow{"EmmcDisk", "mmcblk0", "eMMC"},
                      RefusedRow{"EmmcBootPart", "mmcblk0boot0", "boot"},
                      RefusedRow{"EmmcSecondBootPart", "mmcblk0boot1", "boot"},
                      RefusedRow{"EmmcRpmbEvenIfItSaidSd", "mmcblk0rpmb", "rpmb"},
                      RefusedRow{"LoopDevice", "loop0", "loop"},
                      RefusedRow{"MappedDevice", "dm-1", "loop, mapped"},
                      RefusedRow{"RaidDevice", "md0", "loop, mapped"},
                      RefusedRow{"SystemDiskUnderAMappedRoot", "sdd", "member"},
                      RefusedRow{"SwapDisk", "sde", "system"},
                      RefusedRow{"BootEfiDisk", "sdf", "system"},
                      RefusedRow{"RaidMember", "sdg", "member"},
                      RefusedRow{"ProgramsDisk", "sdh", "program"},
                      RefusedRow{"RemovableButNotUsb", "sdi", "USB"},
                      RefusedRow{"UsbButNotRemovable", "sdj", "removable"},
                      RefusedRow{"ReaderWithoutCard", "sdk", "no medium"},
                      RefusedRow{"APartition", "mmcblk1p1", "partition"},
                      RefusedRow{"PathInsteadOfName", "../sda", "no such disk"},
                      RefusedRow{"UnknownDisk", "sdz", "no such disk"}),
    [](const auto& info) { return std::string(info.param.name); });

// The system's disk is refused for what it holds even when nothing else
// gives it away.
TEST_F(Machine, TheDiskOfRootIsRefusedEvenWhenItLooksLikeACard) {
  tree_.AddDisk("sdm", "8:192", std::string(kUsb) + "8", {{"size", "8000000"}, {"removable", "1"}});
  tree_.AddPartition("sdm", "sdm1", "8:193");
  EXPECT_EQ(Devices().Refusal("sdm"), "");
  tree_.Mount("8:193", "/", "/dev/sdm1");
  EXPECT_NE(Devices().Refusal("sdm").find("system"), std::string::npos);
}

TEST(SizeText, UsesAPointWhateverTheLocale) {
  EXPECT_EQ(SizeText(15523840ULL * 512), "7.9 GB");
  EXPECT_EQ(SizeText(64ULL * 1024 * 1024), "67 MB");
}

}  // namespace
}  // namespace maintenance
