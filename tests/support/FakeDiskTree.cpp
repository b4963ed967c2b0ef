#include "FakeDiskTree.h"

#include <fstream>

namespace testfiles {

namespace fs = std::filesystem;

FakeDiskTree::FakeDiskTree(fs::path root) : root_(std::move(root)) {
  for (const char* folder : {"sys/block", "sys/class/block", "sys/dev/block", "dev/disk/by-id", "dev/disk/by-label"}) {
    fs::create_directories(root_ / folder);
  }
  std::ofstream(swaps()) << "Filename\t\t\t\tType\t\tSize\t\tUsed\t\tPriority\n";
  std::ofstream(mountinfo()).flush();
}

fs::path FakeDiskTree::FolderOf(const std::string& name) const { return folders_.at(name); }

void FakeDiskTree::AddDisk(const std::string& name, const std::string& devno, const std::string& bus,
                           const std::map<std::string, std::string>& attributes) {
  const fs::path folder = root_ / "sys/devices" / bus / "block" / name;
  fs::create_directories(folder / "holders");
  fs::create_directories(folder / "slaves");
  for (const auto& [file, value] : attributes) {
    fs::create_directories((folder / file).parent_path());
    std::ofstream(folder / file) << value << "\n";
  }
  std::ofstream(folder / "dev") << devno << "\n";
  fs::create_directory_symlink(folder, root_ / "sys/block" / name);
  fs::create_directory_symlink(folder, root_ / "sys/class/block" / name);
  fs::create_directory_symlink(folder, root_ / "sys/dev/block" / devno);
  folders_[name] = folder;
}

void FakeDiskTree::AddPartition(const std::string& disk, const std::string& name, const std::string& devno) {
  const fs::path folder = FolderOf(disk) / name;
  fs::create_directories(folder / "holders");
  std::ofstream(folder / "partition") << "1\n";
  std::ofstream(folder / "dev") << devno << "\n";
  fs::create_directory_symlink(folder, root_ / "sys/class/block" / name);
  fs::create_directory_symlink(folder, root_ / "sys/dev/block" / devno);
  folders_[name] = folder;
}

void FakeDiskTree::AddHolder(const std::string& member, const std::string& holder) {
  fs::create_directory_symlink(FolderOf(holder), FolderOf(member) / "holders" / holder);
  fs::create_directory_symlink(FolderOf(member), FolderOf(holder) / "slaves" / member);
}

void FakeDiskTree::Mount(const std::string& devno, const std::string& point, const std::string& source) {
  std::ofstream(mountinfo(), std::ios::app) << ++mount_id_ << " 1 " << devno << " / " << point
                                            << " rw,relatime shared:1 - vfat " << source << " rw\n";
}

void FakeDiskTree::AddSwap(const std::string& file) {
  std::ofstream(swaps(), std::ios::app) << file << "                               partition\t2097148\t\t0\t\t-2\n";
}

void FakeDiskTree::AddById(const std::string& link, const std::string& name) {
  fs::create_symlink("../../" + name, dev() / "disk/by-id" / link);
}

void FakeDiskTree::AddByLabel(const std::string& label, const std::string& name) {
  fs::create_symlink("../../" + name, dev() / "disk/by-label" / label);
}

}  // namespace testfiles
