#include "maintenance/CardPartitionTable.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "TestFiles.h"

namespace maintenance {
namespace {

namespace fs = std::filesystem;

constexpr std::uint64_t kImageBytes = 64ULL * 1024 * 1024;

std::uint32_t Le32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

std::vector<std::uint8_t> ReadAt(const fs::path& file, std::uint64_t offset, std::size_t size) {
  std::ifstream in(file, std::ios::binary);
  in.seekg(static_cast<std::streamoff>(offset));
  std::vector<std::uint8_t> bytes(size);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size));
  return bytes;
}

void WriteAt(const fs::path& file, std::uint64_t offset, const std::string& text) {
  std::fstream out(file, std::ios::binary | std::ios::in | std::ios::out);
  out.seekp(static_cast<std::streamoff>(offset));
  out << text;
}

int Shell(const std::string& command) { return std::system(command.c_str()); }

// A 64 MiB sparse image that held a GPT disk and a file system before.
class CardImage : public ::testing::Test {
 protected:
  void SetUp() override {
    std::ofstream(image_).flush();
    fs::resize_file(image_, kImageBytes);
    WriteAt(image_, 512, "EFI PART");
    WriteAt(image_, 2 * 1024 * 1024, "an old file system");
    WriteAt(image_, kImageBytes - 512, "EFI PART");
  }
  bool WriteTable() {
    const int fd = ::open(image_.c_str(), O_RDWR | O_CLOEXEC);
    std::string error;
    const bool ok = fd >= 0 && CardPartitionTable(kImageBytes).Write(fd, &error);
    if (fd >= 0) ::close(fd);
    EXPECT_EQ(error, "");
    return ok;
  }
  testfiles::TempDir dir_;
  fs::path image_ = dir_ / "card.img";
};

TEST_F(CardImage, OnePrimaryFat32LbaPartitionFromFourMiBToTheEnd) {
  ASSERT_TRUE(WriteTable());
  const auto mbr = ReadAt(image_, 0, 512);
  EXPECT_EQ(mbr[510], 0x55);
  EXPECT_EQ(mbr[511], 0xAA);
  EXPECT_EQ(mbr[446], 0x00) << "not marked active";
  EXPECT_EQ(mbr[446 + 4], 0x0C);
  EXPECT_EQ(Le32(mbr, 446 + 8), 8192u);
  EXPECT_EQ(Le32(mbr, 446 + 12), kImageBytes / 512 - 8192);
  for (std::size_t at = 462; at < 510; ++at) EXPECT_EQ(mbr[at], 0) << "partition entries 2-4 stay empty, byte " << at;
  EXPECT_EQ(ReadAt(image_, 512, 8), std::vector<std::uint8_t>(8, 0)) << "the old GPT header is gone";
  EXPECT_EQ(ReadAt(image_, kImageBytes - 512, 8), std::vector<std::uint8_t>(8, 0)) << "the backup GPT is gone";
  EXPECT_EQ(ReadAt(image_, 2 * 1024 * 1024, 8), std::vector<std::uint8_t>(8, 0));
}

TEST_F(CardImage, FormatsCleanWithTheSystemsFatTools) {
  if (Shell("command -v mkfs.vfat >/dev/null 2>&1 || test -x /usr/sbin/mkfs.vfat") != 0) GTEST_SKIP() << "no dosfstools";
  ASSERT_TRUE(WriteTable());
  const std::string path = "PATH=\"$PATH:/usr/sbin:/sbin\" ";
  ASSERT_EQ(Shell(path + "mkfs.vfat -F 32 --offset 8192 '" + image_.string() + "' >/dev/null"), 0);
  // The partition on its own, as the kernel would show it.
  const fs::path partition = dir_ / "part.img";
  ASSERT_EQ(Shell("dd if='" + image_.string() + "' of='" + partition.string() +
                  "' bs=1M skip=4 conv=sparse status=none"),
            0);
  EXPECT_EQ(fs::file_size(partition), kImageBytes - 4 * 1024 * 1024);
  EXPECT_EQ(Shell(path + "fsck.fat -n '" + partition.string() + "' >/dev/null"), 0);
  const auto boot = ReadAt(partition, 0x52, 8);
  EXPECT_EQ(std::string(boot.begin(), boot.end()), "FAT32   ");
  // mkfs.vfat left the table alone.
  const auto mbr = ReadAt(image_, 0, 512);
  EXPECT_EQ(mbr[446 + 4], 0x0C);
  EXPECT_EQ(Le32(mbr, 446 + 8), 8192u);
}

TEST(CardPartitionTable, RefusesADiskTooSmallForFat32) {
  EXPECT_FALSE(CardPartitionTable(16ULL * 1024 * 1024).valid());
  EXPECT_FALSE(CardPartitionTable(3ULL * 1024 * 1024).valid());
  EXPECT_TRUE(CardPartitionTable(64ULL * 1024 * 1024).valid());
  EXPECT_FALSE(CardPartitionTable(3ULL * 1024 * 1024 * 1024 * 1024).valid()) << "beyond what an MBR addresses";
  std::string error;
  EXPECT_FALSE(CardPartitionTable(16ULL * 1024 * 1024).Write(-1, &error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace maintenance
