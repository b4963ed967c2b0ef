#pragma once

#include <filesystem>
#include <map>
#include <string>

namespace testfiles {

// A made-up sysfs, /dev/disk, mountinfo and swaps under one folder, laid out
// the way the kernel lays them out: disks under their bus's device folder,
// sys/block, sys/class/block and sys/dev/block as links to them, partitions
// inside their disk's folder, holders and slaves as folder entries.
class FakeDiskTree {
 public:
  explicit FakeDiskTree(std::filesystem::path root);

  // A whole disk. bus: its device path under sys/devices ("platform/mmc0"
  // or "pci0000:00/0000:00:14.0/usb1/1-1/host6"); attributes: files of its
  // folder relative to it ("removable", "size", "device/type", ...).
  void AddDisk(const std::string& name, const std::string& devno, const std::string& bus,
               const std::map<std::string, std::string>& attributes);
  void AddPartition(const std::string& disk, const std::string& name, const std::string& devno);
  // holder (a dm or md disk) is made of member (a disk or partition).
  void AddHolder(const std::string& member, const std::string& holder);
  void Mount(const std::string& devno, const std::string& point, const std::string& source);
  void AddSwap(const std::string& file);
  void AddById(const std::string& link, const std::string& name);
  void AddByLabel(const std::string& label, const std::string& name);

  std::filesystem::path sysfs() const { return root_ / "sys"; }
  std::filesystem::path mountinfo() const { return root_ / "mountinfo"; }
  std::filesystem::path swaps() const { return root_ / "swaps"; }
  std::filesystem::path dev() const { return root_ / "dev"; }

 private:
  std::filesystem::path FolderOf(const std::string& name) const;
  std::filesystem::path root_;
  std::map<std::string, std::filesystem::path> folders_;
  int mount_id_ = 20;
};

}  // namespace testfiles
