#pragma once

#include <cstdint>
#include <string>

namespace maintenance {

// The one partition a formatted card gets: primary, FAT32 with LBA
// addressing (type 0x0C), from 4 MiB (the erase-block alignment cards want)
// to the end of the disk, in an MBR of our own.
class CardPartitionTable {
 public:
  static constexpr std::uint64_t kSectorSize = 512;
  static constexpr std::uint64_t kFirstSector = 4 * 1024 * 1024 / kSectorSize;
  static constexpr std::uint8_t kTypeFat32Lba = 0x0C;

  // For a disk of disk_bytes; valid() is false when it is too small for a
  // FAT32 volume or too large for an MBR.
  explicit CardPartitionTable(std::uint64_t disk_bytes);
  bool valid() const { return sectors_ > 0; }
  std::uint64_t first_sector() const { return kFirstSector; }
  std::uint64_t sectors() const { return sectors_; }
  std::uint64_t offset_bytes() const { return kFirstSector * kSectorSize; }

  // Writes the table to fd (a disk or an image of one): the MBR, zeros over
  // the rest of the first 4 MiB (an old GPT header or file system there must
  // not survive) and over the last 33 sectors (a backup GPT), then fsync.
  // False with the reason in error.
  bool Write(int fd, std::string* error) const;

 private:
  std::uint64_t disk_sectors_;
  std::uint64_t sectors_ = 0;
};

}  // namespace maintenance
