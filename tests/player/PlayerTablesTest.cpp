#include <gtest/gtest.h>

#include "player/ErrorReporter.h"
#include "player/MovieViewOperations.h"
#include "player/RateTables.h"

namespace player {
namespace {

TEST(RateTables, SpeedsOfTheRateCodes) {
  EXPECT_EQ(SpeedOfRateCode(2, false), 2.0);
  EXPECT_EQ(SpeedOfRateCode(4, false), 4.0);
  EXPECT_EQ(SpeedOfRateCode(-2, false), 0.5);
  EXPECT_EQ(SpeedOfRateCode(-4, false), 0.25);
  EXPECT_EQ(SpeedOfRateCode(-2, true), -2.0);
  EXPECT_EQ(SpeedOfRateCode(1, false), 1.0);
  EXPECT_EQ(SpeedOfRateCode(7, false), 1.0);
}

TEST(RateTables, FasterAndSlower) {
  struct Row {
    int current, faster, slower;
  };
  // A stream that cannot play backwards, on the media-session back end.
  for (const Row r : {Row{1, 2, -1}, Row{2, 4, 1}, Row{4, 4, 2}, Row{-1, 1, -2}, Row{-2, 1, -2}, Row{-4, -2, 1},
                      Row{9, 1, 1}}) {
    EXPECT_EQ(FasterRateCode(r.current, false), r.faster) << r.current;
    EXPECT_EQ(SlowerRateCode(r.current, true), r.slower) << r.current;
  }
  EXPECT_EQ(FasterRateCode(-2, true), -1);
  EXPECT_EQ(SlowerRateCode(-2, false), -4);
  // The slower command never reaches x0.25 on the media session.
  int code = 4;
  for (int i = 0; i < 10; ++i) {
    code = SlowerRateCode(code, true);
    EXPECT_NE(code, -4);
  }
}

TEST(ErrorTexts, NameTheResult) {
  EXPECT_EQ(ErrorText(E_OUTOFMEMORY), "E_OUTOFMEMORY");
  EXPECT_EQ(ErrorText(E_INVALIDARG), "E_INVALIDARG");
  EXPECT_EQ(ErrorText(VFW_E_WRONG_STATE), "VFW_E_WRONG_STATE");
  EXPECT_EQ(ErrorText(VFW_E_NO_DECODER), "コーデックとスプリッターをインストールしてください。");
  EXPECT_EQ(ErrorText(static_cast<HRESULT>(0x80001234)), "Unknown 0x80001234");
}

TEST(ViewOperations, ThirtyFourInTheirOrder) {
  const auto& table = ViewOperationTable();
  ASSERT_EQ(table.size(), 34u);
  const char* expected[] = {"set up", "tear down", "is recording", "open", "close", "load sensor data",
                            "free sensor data", "play", "seek", "pause", "stop", "current frame", "show frame",
                            "show frame", "set view option 1", "none", "set view option 2", "none", "set rate",
                            "slow motion", "aspect mode", "frame count", "frame count", "none", "frame duration",
                            "video size", "set volume", "overlay text", "restore overlay", "rotate 180",
                            "zoom and pan", "save picture", "repaint", "redraw"};
  for (std::size_t i = 0; i < table.size(); ++i) EXPECT_STREQ(table[i].name, expected[i]) << i;
  for (std::size_t i : {15u, 17u, 23u}) {
    MovieView view(nullptr, nullptr, {});
    ViewCall call;
    EXPECT_EQ(table[i].run(view, call), 0);
  }
}

}  // namespace
}  // namespace player
