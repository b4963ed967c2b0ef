#include "recording/CompanionPath.h"

#include <gtest/gtest.h>

#include <ostream>

namespace recording {
namespace {

struct PathCase {
  const char* name;
  const char* path;
  const char* other_camera;
  const char* data;
  friend void PrintTo(const PathCase& c, std::ostream* os) { *os << c.name; }
};

class CompanionPaths : public ::testing::TestWithParam<PathCase> {};

TEST_P(CompanionPaths, FollowTheFolderAndLetterRules) {
  const auto& c = GetParam();
  EXPECT_EQ(CompanionPath(c.path, Companion::kOtherCamera).string(), c.other_camera);
  EXPECT_EQ(DataPath(c.path).string(), c.data);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, CompanionPaths,
    ::testing::Values(
        PathCase{"main_camera", "/card/Normal/Main/A__-240301-101500-000123M.MOV",
                 "/card/Normal/Sub_/A__-240301-101500-000123S.MOV", "/card/Normal/Data/A__-240301-101500-000123D.ADA"},
        PathCase{"sub_camera", "/card/Normal/Sub_/A__-240301-101500-000123S.MOV",
                 "/card/Normal/Main/A__-240301-101500-000123M.MOV", "/card/Normal/Data/A__-240301-101500-000123D.ADA"},
        PathCase{"folder_case_ignored", "/x/main/A__-240301-101500-000123M.MOV", "/x/Sub_/A__-240301-101500-000123S.MOV",
                 "/x/Data/A__-240301-101500-000123D.ADA"},
        PathCase{"other_folder_keeps_folder", "/x/Video/A__-240301-101500-000123M.MOV",
                 "/x/Video/A__-240301-101500-000123S.MOV", "/x/Video/A__-240301-101500-000123D.ADA"},
        PathCase{"other_shape_only_extension", "/x/clip.MOV", "/x/clip.MOV", "/x/clip.ADA"},
        PathCase{"short_path", "a", "a", "a.ADA"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace recording
