#include <gtest/gtest.h>

#include <fstream>

#include "TestFiles.h"
#include "viewer/commands/JoinChecks.h"

namespace viewer {
namespace {

namespace fs = std::filesystem;

struct SpaceRow {
  const char* quirk;
  std::uint64_t needed;
  std::optional<std::uint64_t> free_bytes;
  bool suffices;
};

class JoinSpace : public ::testing::TestWithParam<SpaceRow> {};

TEST_P(JoinSpace, OnlyMoreThanNeededIsEnough) {
  EXPECT_EQ(JoinSpaceSuffices(GetParam().needed, GetParam().free_bytes), GetParam().suffices);
}

INSTANTIATE_TEST_SUITE_P(Rows, JoinSpace,
                         ::testing::Values(SpaceRow{"exactly_enough_fails", 1000, 1000, false},
                                           SpaceRow{"one_byte_more_passes", 1000, 1001, true},
                                           SpaceRow{"unknown_free_space_fails", 1, std::nullopt, false}),
                         [](const auto& info) { return std::string(info.param.quirk); });

library::RecordingEntry EntryOf(const fs::path& front, std::uint64_t main, std::uint64_t sub, std::uint64_t data) {
  library::RecordingEntry e;
  e.path = front.string();
  e.name = front.filename().string();
  e.main_size = main;
  e.sub_size = sub;
  e.data_size = data;
  return e;
}

TEST(JoinSize, CountsAllThreeFilesAndRefusesAFrontOf4GiB) {
  const std::vector<library::RecordingEntry> two = {EntryOf("/a/x", 100, 50, 5), EntryOf("/a/y", 10, 0, 1)};
  EXPECT_EQ(JoinedBytes(two), 166u);
  EXPECT_TRUE(JoinedFrontFits(two));
  const std::uint64_t half = std::uint64_t{1} << 31;
  EXPECT_FALSE(JoinedFrontFits({EntryOf("/a/x", half, 0, 0), EntryOf("/a/y", half, 0, 0)}));
  EXPECT_TRUE(JoinedFrontFits({EntryOf("/a/x", half, 0, 0), EntryOf("/a/y", half - 1, 0, 0)}));
}

class JoinOutput : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* sub : {"Main", "Sub_", "Data"}) fs::create_directories(dir_ / "card" / "Normal" / sub);
    front_ = dir_ / "card/Normal/Main/A__-240301-100000-000001M.MOV";
    for (const fs::path& p : {front_, dir_ / "card/Normal/Sub_/A__-240301-100000-000001S.MOV",
                              dir_ / "card/Normal/Data/A__-240301-100000-000001D.ADA"}) {
      std::ofstream(p) << "x";
    }
    inputs_ = {EntryOf(front_, 1, 1, 1)};
  }
  testfiles::TempDir dir_;
  fs::path front_;
  std::vector<library::RecordingEntry> inputs_;
};

TEST_F(JoinOutput, TheInputItselfIsRefused) {
  EXPECT_TRUE(JoinOutputIsAnInput(front_, inputs_));
  EXPECT_TRUE(JoinOutputExists(front_));
}

TEST_F(JoinOutput, TheInputReachedThroughALinkIsRefused) {
  fs::create_directory_symlink(dir_ / "card/Normal/Main", dir_ / "link");
  EXPECT_TRUE(JoinOutputIsAnInput(dir_ / "link" / front_.filename(), inputs_));
}

TEST_F(JoinOutput, AnotherFolderIsAccepted) {
  fs::create_directories(dir_ / "out");
  EXPECT_FALSE(JoinOutputIsAnInput(dir_ / "out" / front_.filename(), inputs_));
  EXPECT_FALSE(JoinOutputExists(dir_ / "out" / front_.filename()));
}

}  // namespace
}  // namespace viewer
