#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace maintenance {

// Where the kernel's facts about disks are read. Tests point them at
// made-up trees; the disk tool uses the real ones only.
struct DiskSystemRoots {
  std::filesystem::path sysfs = "/sys";
  std::filesystem::path mountinfo = "/proc/self/mountinfo";
  std::filesystem::path swaps = "/proc/swaps";
  std::filesystem::path dev = "/dev";  // holds disk/by-id and disk/by-label
};

// A whole disk that may be formatted as a card.
struct CardDevice {
  std::string name;                  // kernel name: "mmcblk0", "sdb"
  std::filesystem::path by_id;       // its stable name under dev/disk/by-id (real path form: /dev/disk/by-id/...)
  std::uint64_t size = 0;            // bytes
  std::string serial;                // the card's serial, or the stable name's last part
  std::string model;
  std::string label;                 // the first file-system label found on it
  std::vector<std::filesystem::path> mount_points;  // of the disk and its partitions
};

// Tells card disks from every other disk. A card is an SD card in an SD
// slot (mmcblk with device/type "SD"; never an eMMC, its boot or rpmb parts)
// or a removable USB disk (removable = 1 with a USB device above it). Never
// a card: loop, device-mapper, RAID and other virtual disks, a disk with a
// partition that is a member of one of those, the disk that holds "/",
// "/boot" or an active swap, and any disk holding one of the extra protected
// file systems (the running program's, the settings file's).
class CardDevices {
 public:
  // protected_devnos: "major:minor" of file systems whose disk must never be
  // offered (st_dev of the paths to protect).
  explicit CardDevices(DiskSystemRoots roots = {}, std::vector<std::string> protected_devnos = {});

  // The card disks, sorted by name.
  std::vector<CardDevice> List() const;
  // Why name may not be formatted; empty when it is a card.
  std::string Refusal(const std::string& name) const;
  // The card of that kernel name (nullopt when refused).
  std::optional<CardDevice> Find(const std::string& name) const;
  // The whole disk that holds the block device devno ("major:minor"); empty
  // when unknown.
  std::string DiskOfDevno(const std::string& devno) const;
  // The whole disk of a kernel name (itself, or the disk of a partition).
  std::string DiskOfName(const std::string& name) const;
  // Every file system mounted from the disk or its partitions.
  std::vector<std::filesystem::path> MountPointsOf(const std::string& disk) const;

  const DiskSystemRoots& roots() const { return roots_; }

 private:
  std::filesystem::path DiskFolder(const std::string& name) const;
  std::vector<std::string> ProtectedDisks() const;
  void AddWithSlaves(const std::string& disk, std::vector<std::string>& out, int depth) const;
  bool HasHolders(const std::string& disk) const;
  std::filesystem::path ByIdOf(const std::string& disk) const;
  std::string LabelOf(const std::string& disk) const;
  CardDevice Describe(const std::string& disk) const;

  DiskSystemRoots roots_;
  std::vector<std::string> protected_devnos_;
};

// "major:minor" of a stat device number.
std::string DevnoText(std::uint64_t dev);
// A size for people: "7.9 GB", "64 MB".
std::string SizeText(std::uint64_t bytes);

}  // namespace maintenance
