#include "maintenance/CardPartitionTable.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <random>
#include <vector>

namespace maintenance {
namespace {

// FAT32 wants at least 65525 clusters; with 512-byte clusters about 33 MiB.
constexpr std::uint64_t kMinimumSectors = 66600;
constexpr std::uint64_t kBackupGptSectors = 33;

void PutLe32(std::uint8_t* at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

bool WriteAll(int fd, const std::uint8_t* data, std::size_t size, std::uint64_t offset) {
  while (size > 0) {
    const ssize_t n = ::pwrite(fd, data, size, static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
    offset += static_cast<std::uint64_t>(n);
  }
  return true;
}

bool Fail(std::string* error, const char* what) {
  if (error) *error = std::string(what) + ": " + std::strerror(errno);
  return false;
}

}  // namespace

CardPartitionTable::CardPartitionTable(std::uint64_t disk_bytes) : disk_sectors_(disk_bytes / kSectorSize) {
  if (disk_sectors_ <= kFirstSector || disk_sectors_ - kFirstSector < kMinimumSectors) return;
  const std::uint64_t sectors = disk_sectors_ - kFirstSector;
  if (disk_sectors_ > 0xFFFFFFFFULL) return;  // beyond what 32-bit LBAs reach
  sectors_ = sectors;
}

bool CardPartitionTable::Write(int fd, std::string* error) const {
  if (!valid()) {
    if (error) *error = "the disk is too small or too large for one FAT32 partition";
    return false;
  }
  // Zeros first, the table last: an interrupted write leaves no half table.
  const std::vector<std::uint8_t> zeros(1024 * 1024, 0);
  for (std::uint64_t at = kSectorSize; at < offset_bytes(); at += zeros.size()) {
    const std::size_t size = static_cast<std::size_t>(std::min<std::uint64_t>(zeros.size(), offset_bytes() - at));
    if (!WriteAll(fd, zeros.data(), size, at)) return Fail(error, "cannot clear the start of the disk");
  }
  const std::uint64_t tail = (disk_sectors_ - kBackupGptSectors) * kSectorSize;
  if (!WriteAll(fd, zeros.data(), kBackupGptSectors * kSectorSize, tail)) {
    return Fail(error, "cannot clear the end of the disk");
  }
  std::array<std::uint8_t, kSectorSize> mbr{};
  std::random_device random;
  PutLe32(&mbr[440], random());  // disk signature
  std::uint8_t* entry = &mbr[446];
  entry[0] = 0x00;  // not active
  // CHS fields at their "use LBA" maximum, as tools write for large disks.
  entry[1] = 0xFE;
  entry[2] = 0xFF;
  entry[3] = 0xFF;
  entry[4] = kTypeFat32Lba;
  entry[5] = 0xFE;
  entry[6] = 0xFF;
  entry[7] = 0xFF;
  PutLe32(&entry[8], static_cast<std::uint32_t>(kFirstSector));
  PutLe32(&entry[12], static_cast<std::uint32_t>(sectors_));
  mbr[510] = 0x55;
  mbr[511] = 0xAA;
  if (!WriteAll(fd, mbr.data(), mbr.size(), 0)) return Fail(error, "cannot write the partition table");
  if (::fsync(fd) != 0) return Fail(error, "cannot flush the partition table");
  return true;
}

}  // namespace maintenance
