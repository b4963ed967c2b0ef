#include "platform/FileMapping.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <vector>

#include "platform/GuardedMemory.h"

namespace platform {
namespace {

class MappedFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/brennovale-map-XXXXXX";
    const int fd = mkstemp(name);
    ASSERT_GE(fd, 0);
    ::close(fd);
    path_ = name;
    bytes_.resize(3 * FileMapping::Granularity() + 123);
    for (std::size_t i = 0; i < bytes_.size(); ++i) bytes_[i] = static_cast<std::uint8_t>(i * 7);
    std::ofstream(path_, std::ios::binary).write(reinterpret_cast<const char*>(bytes_.data()),
                                                 static_cast<std::streamsize>(bytes_.size()));
  }
  void TearDown() override { std::filesystem::remove(path_); }
  std::filesystem::path path_;
  std::vector<std::uint8_t> bytes_;
};

TEST_F(MappedFiles, ViewsStartAtTheRequestedOffsetAndStopAtTheEnd) {
  auto file = FileMapping::Open(path_);
  ASSERT_TRUE(file) << file.error();
  EXPECT_EQ((*file)->size(), bytes_.size());
  const std::uint64_t offset = FileMapping::Granularity() + 5;
  MappedView view = (*file)->Map(offset, 1 << 30);
  ASSERT_TRUE(view.valid());
  EXPECT_EQ(view.slack(), 5u) << "mapped from the page boundary below the offset";
  EXPECT_EQ(view.size(), bytes_.size() - offset) << "cut at the end of the file";
  std::uint8_t b[3];
  ASSERT_TRUE(view.Read(0, b, 3));
  EXPECT_EQ(b[0], bytes_[offset]);
  EXPECT_EQ(b[2], bytes_[offset + 2]);
  EXPECT_FALSE(view.Read(view.size() - 1, b, 2)) << "past the view";
  EXPECT_FALSE((*file)->Map(bytes_.size(), 10).valid());
}

TEST_F(MappedFiles, ReadOfATruncatedFileFailsInsteadOfCrashing) {
  auto file = FileMapping::Open(path_);
  ASSERT_TRUE(file);
  MappedView view = (*file)->Map(0, bytes_.size());
  ASSERT_EQ(::truncate(path_.c_str(), 10), 0);
  std::vector<std::uint8_t> out(bytes_.size());
  EXPECT_FALSE(view.Read(0, out.data(), out.size()));
  EXPECT_TRUE(view.Read(0, out.data(), 10)) << "what is still in the file reads";
  EXPECT_FALSE(view.Read(2 * FileMapping::Granularity(), out.data(), 4)) << "the guard works more than once";
}

TEST_F(MappedFiles, EmptyFilesAndFoldersDoNotOpen) {
  ASSERT_EQ(::truncate(path_.c_str(), 0), 0);
  auto empty = FileMapping::Open(path_);
  EXPECT_FALSE(empty);
  EXPECT_NE(empty.error().find("empty"), std::string::npos);
  EXPECT_FALSE(FileMapping::Open("/tmp"));
  EXPECT_FALSE(FileMapping::Open("/nonexistent/file"));
}

TEST(GuardedCopyTest, FaultsOutsideAGuardStillEndTheProcess) {
  EXPECT_DEATH(
      {
        char name[] = "/tmp/brennovale-bus-XXXXXX";
        const int fd = mkstemp(name);
        std::vector<char> page(FileMapping::Granularity() * 2, 'x');
        (void)!::write(fd, page.data(), page.size());
        auto file = FileMapping::Open(name);
        MappedView view = (*file)->Map(0, page.size());
        std::uint8_t b;
        GuardedCopy(&b, view.data(), 1);  // installs the handler
        (void)!::ftruncate(fd, 0);
        ::unlink(name);
        volatile std::uint8_t v = view.data()[FileMapping::Granularity()];
        (void)v;
      },
      "");
}

}  // namespace
}  // namespace platform
