#include "viewer/commands/ContinuationBound.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace viewer {
namespace {

// Drives the window's rule: on a failed automatic open, move to the next
// entry of the folder, or to the next folder after the last; at the end of
// the last folder the last recording is selected again. Returns the opens
// tried until the bound stopped the run (or one opened).
struct Folder {
  std::vector<bool> opens;  // per entry: does it open
};

std::vector<std::string> Continue(const std::vector<Folder>& folders, int folder, int entry) {
  ContinuationBound bound;
  std::vector<std::string> tried;
  for (int guard = 0; guard < 1000; ++guard) {
    const auto name = std::to_string(folder) + "/" + std::to_string(entry);
    tried.push_back(name);
    const Folder& f = folders[static_cast<std::size_t>(folder)];
    if (f.opens[static_cast<std::size_t>(entry)]) return tried;
    if (!bound.ContinueAfterFailure(name, static_cast<int>(f.opens.size()))) {
      tried.push_back("UI text 99");
      return tried;
    }
    if (entry + 1 < static_cast<int>(f.opens.size())) {
      ++entry;
    } else if (folder + 1 < static_cast<int>(folders.size())) {
      ++folder;
      entry = 0;
    }  // else: the last recording is reopened
  }
  tried.push_back("spins");
  return tried;
}

TEST(ContinuationBound, FailedOpensInARow) {
  struct Row {
    const char* name;
    std::vector<Folder> folders;
    int folder, entry;
    std::vector<std::string> expected;
  };
  const std::vector<Row> rows = {
      {"one broken recording is skipped", {{{true, false, true}}}, 0, 1, {"0/1", "0/2"}},
      {"a broken last recording moves to the next folder", {{{true, false}}, {{true}}}, 0, 1, {"0/1", "1/0"}},
      {"a folder of broken files stops where it began", {{{false, false, false}}, {{true}}}, 0, 0,
       {"0/0", "0/1", "0/2", "UI text 99"}},
      {"the last recording of the last folder is not reopened for ever", {{{true, false}}}, 0, 1,
       {"0/1", "0/1", "UI text 99"}},
      {"a one-recording broken folder ends at once", {{{false}}, {{true}}}, 0, 0, {"0/0", "UI text 99"}},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(Continue(row.folders, row.folder, row.entry), row.expected) << row.name;
  }
}

TEST(ContinuationBound, ResetStartsANewRun) {
  ContinuationBound bound;
  EXPECT_TRUE(bound.ContinueAfterFailure("a", 3));
  EXPECT_TRUE(bound.ContinueAfterFailure("b", 3));
  bound.Reset();  // "c" opened
  EXPECT_TRUE(bound.ContinueAfterFailure("a", 3)) << "a failure before a success does not count";
  EXPECT_EQ(bound.failures(), 1);
}

}  // namespace
}  // namespace viewer
