#include <gtest/gtest.h>

#include "viewer/commands/StillPictureNames.h"

namespace viewer {
namespace {

struct NameRow {
  const char* quirk;
  const char* folder;
  const char* recording;
  int frame;
  const char* main;
  const char* sub;
};

class StillNames : public ::testing::TestWithParam<NameRow> {};

TEST_P(StillNames, FollowTheRecordingAndTheFrontFrame) {
  const NameRow& row = GetParam();
  const StillPictureNames names = StillPictureNamesFor(row.folder, row.recording, row.frame);
  EXPECT_EQ(names.main.string(), row.main);
  EXPECT_EQ(names.sub.string(), row.sub);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, StillNames,
    ::testing::Values(
        NameRow{"main_camera_recording", "/pic", "/card/Normal/Main/MG_-220307-090501-000123M.MOV", 450,
                "/pic/220307-090501-M-000450.jpg", "/pic/220307-090501-S-000450.jpg"},
        NameRow{"rear_camera_recording_swaps_back", "/pic", "/card/Normal/Sub_/MG_-220307-090501-000123S.MOV", 7,
                "/pic/220307-090501-S-000007.jpg", "/pic/220307-090501-M-000007.jpg"},
        NameRow{"folder_with_trailing_slash", "/pic/", "MG_-220307-090501-000123M.MOV", 0,
                "/pic/220307-090501-M-000000.jpg", "/pic/220307-090501-S-000000.jpg"},
        NameRow{"frame_past_six_digits", "/pic", "MG_-220307-090501-000123M.MOV", 1234567,
                "/pic/220307-090501-M-1234567.jpg", "/pic/220307-090501-S-1234567.jpg"}),
    [](const ::testing::TestParamInfo<NameRow>& info) { return std::string(info.param.quirk); });

}  // namespace
}  // namespace viewer
