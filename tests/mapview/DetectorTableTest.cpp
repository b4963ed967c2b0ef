#include "mapview/DetectorTable.h"

#include <gtest/gtest.h>

#include <ostream>

#include "SeriesMaker.h"
#include "mapview/MarkerKind.h"

namespace mapview {
namespace {

using recording::AccelSample;

AccelSample With(int event, int flag, int axis, int group = 0, int code = 0) {
  AccelSample s;
  s.event = event;
  s.flag = flag;
  s.axis = axis;
  s.assist_group = group;
  s.assist_code = code;
  return s;
}

struct DetectCase {
  const char* name;
  int entry;
  AccelSample sample;
  int with_optional;
  int without_optional;
};
void PrintTo(const DetectCase& c, std::ostream* out) { *out << c.name; }

const DetectCase kDetects[] = {
    {"XImpactIsOptional", 0, With(-1, 0, 1), 0, -1},
    {"YImpactIsOptional", 1, With(-1, 0, 2), 2, -1},
    {"ZImpactIsOptional", 2, With(-1, 0, 3), 3, -1},
    {"XEntryIgnoresYAxis", 0, With(-1, 0, 2), -1, -1},
    {"UserPointAlways", 3, With(5, 0, 0), 5, 5},
    {"EmergencyStopAlways", 4, With(6, 0, 0), 6, 6},
    {"ParkingIsOptional", 5, With(7, 0, 0), 7, -1},
    {"SpeedingAlways", 6, With(-1, 8, 0), 8, 8},
    {"SpeedingNeedsFlagEight", 6, With(-1, 7, 0), -1, -1},
    {"SpeedCameraIsOptional", 7, With(-1, 0, 0, 10, 9), 9, -1},
    {"SpeedCameraNeedsGroupTen", 7, With(-1, 0, 0, 9, 9), -1, -1},
    {"RadarGroupEight", 8, With(-1, 0, 0, 8, 8), 10, -1},
    {"RadarGroupNine", 8, With(-1, 0, 0, 9, 8), 10, -1},
    {"RadarNeedsCodeEight", 8, With(-1, 0, 0, 9, 9), -1, -1},
    {"AssistElevenAlways", 9, With(11, 0, 0), 11, 11},
    {"AssistTwelveAlways", 9, With(12, 0, 0), 12, 12},
    {"AssistThirteenAlways", 9, With(13, 0, 0), 13, 13},
    {"AssistIgnoresFourteen", 9, With(14, 0, 0), -1, -1},
    {"DecodedBlockHasNoAssistCodes", 7, With(-1, 0, 0), -1, -1},
    {"NoEventNoKind", 3, With(-1, 0, 0), -1, -1},
    {"EntryOutsideTheTable", 10, With(5, 8, 1), -1, -1},
    {"NegativeEntry", -1, With(5, 8, 1), -1, -1},
};

class Detects : public ::testing::TestWithParam<DetectCase> {};

TEST_P(Detects, WithAndWithoutTheOptionalSwitch) {
  const DetectCase& c = GetParam();
  DetectorTable table;
  table.set_optional(true);
  EXPECT_EQ(table.Detect(c.entry, c.sample), c.with_optional);
  table.set_optional(false);
  EXPECT_EQ(table.Detect(c.entry, c.sample), c.without_optional);
}

INSTANTIATE_TEST_SUITE_P(DetectorTable, Detects, ::testing::ValuesIn(kDetects),
                         [](const auto& info) { return std::string(info.param.name); });

// Every event start of one entry over the whole series, as (frame, kind).
std::vector<std::pair<std::int64_t, int>> Starts(const DetectorTable& table, const SensorSeries& series, int entry) {
  std::vector<std::pair<std::int64_t, int>> out;
  for (std::int64_t f = 0; f < series.frame_count(); ++f) {
    const int kind = table.EventStart(series, entry, f);
    if (kind >= 0) out.emplace_back(f, kind);
  }
  return out;
}

struct StartCase {
  const char* name;
  double frame_ms;
  double period_ms;
  std::int32_t frames;
  std::vector<std::pair<std::int64_t, int>> starts;  // for entry 9
};
void PrintTo(const StartCase& c, std::ostream* out) { *out << c.name; }

// Samples 4-11 carry assist event 11, samples 12-13 event 12 (a kind change
// between adjacent samples), sample 0 event 13 (an event in the first frame).
void AssistEvents(std::int32_t i, AccelSample& s) {
  if (i == 0) s.event = 13;
  if (i >= 4 && i <= 11) s.event = 11;
  if (i >= 12 && i <= 13) s.event = 12;
}

const StartCase kStarts[] = {
    {"OneSamplePerFrame", 1.0, 1.0, 30, {{0, 13}, {4, 11}, {12, 12}}},
    {"TenHertzAtThirtyFrames", 1000.0 / 30, 100.0, 60, {{0, 13}, {12, 11}, {36, 12}}},
    {"FifteenHertzAtThirtyFrames", 1000.0 / 30, 1000.0 / 15, 40, {{0, 13}, {8, 11}, {24, 12}}},
    // 29.97 fps: frame f at f * 33.3667 ms; sample 4 starts at 400 ms.
    {"TenHertzAtTwentyNineNinetySeven", 1001.0 / 30, 100.0, 60, {{0, 13}, {12, 11}, {36, 12}}},
};

class Starts_ : public ::testing::TestWithParam<StartCase> {};

TEST_P(Starts_, OneStartPerEventAndOnePerKindChange) {
  const StartCase& c = GetParam();
  const SensorSeries series = SeriesMaker::Make(c.frames, c.frame_ms, c.period_ms, AssistEvents);
  EXPECT_EQ(Starts(DetectorTable(), series, 9), c.starts);
}

INSTANTIATE_TEST_SUITE_P(DetectorTable, Starts_, ::testing::ValuesIn(kStarts),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DetectorTable, OptionalEventsStartOnlyWhileSwitchedOn) {
  const SensorSeries series = SeriesMaker::OnePerFrame(10, [](std::int32_t i, AccelSample& s) {
    if (i >= 3 && i < 6) s.axis = 1;
  });
  DetectorTable table;
  EXPECT_EQ(Starts(table, series, 0), (std::vector<std::pair<std::int64_t, int>>{{3, 0}}));
  table.set_optional(false);
  EXPECT_TRUE(Starts(table, series, 0).empty());
}

TEST(DetectorTable, FramesWithoutSampleHaveNoKind) {
  // Frames 2 and 3 point outside the sample list: the event at frame 4
  // starts again after the gap.
  std::vector<AccelSample> samples(3, With(5, 0, 0));
  const SensorSeries series(samples, {0, 1, 7, -4, 2});
  EXPECT_EQ(series.SampleAtFrame(2), nullptr);
  EXPECT_EQ(Starts(DetectorTable(), series, 3), (std::vector<std::pair<std::int64_t, int>>{{0, 5}, {4, 5}}));
  EXPECT_EQ(DetectorTable().EventStart(series, 3, 99), -1);
  EXPECT_EQ(DetectorTable().EventStart(series, 3, -1), -1);
}

TEST(DetectorTable, FlagsSwitchTogetherAndThresholdsComeFromPositiveHeaderNumbers) {
  DetectorTable table;
  table.SetFlags(4, false);
  EXPECT_FALSE(table.Shown(4, DetectorTable::Use::kGraph));
  EXPECT_FALSE(table.Shown(4, DetectorTable::Use::kMap));
  EXPECT_TRUE(table.Shown(5, DetectorTable::Use::kMap));
  recording::SensorDataHeader header;
  header.a = 0.5f;
  header.b = -1.0f;
  header.c = 0.0f;
  table.SetThresholds(header);
  EXPECT_DOUBLE_EQ(table.entry(0).threshold, 0.5);
  EXPECT_DOUBLE_EQ(table.entry(1).threshold, 0.2);
  EXPECT_DOUBLE_EQ(table.entry(2).threshold, 0.2);
  EXPECT_EQ(table.entry(1).pen, FindMarkerKind(2)->colour);
}

struct NameCase {
  const char* name;
  const char* file;
  bool optional;
};
void PrintTo(const NameCase& c, std::ostream* out) { *out << c.name; }
const NameCase kNames[] = {
    {"AlwaysTriggerIsPlain", "A__-200101-120000-000001F.MOV", false},
    {"ParkingIsPlain", "P__-200101-120000-000001F.MOV", false},
    {"TimeLapseIsPlain", "T__-200101-120000-000001F.MOV", false},
    {"GSecondLetterSwitchesOn", "AG_-200101-120000-000001F.MOV", true},
    {"OtherTriggerSwitchesOn", "M__-200101-120000-000001F.MOV", true},
    {"EmptyName", "", true},
};
class Names : public ::testing::TestWithParam<NameCase> {};
TEST_P(Names, SwitchTheOptionalDetectors) { EXPECT_EQ(OptionalDetectorsFor(GetParam().file), GetParam().optional); }
INSTANTIATE_TEST_SUITE_P(DetectorTable, Names, ::testing::ValuesIn(kNames),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(MarkerKind, NumbersOutsideTheTableHaveNoRow) {
  EXPECT_EQ(FindMarkerKind(-1), nullptr);
  EXPECT_EQ(FindMarkerKind(kMarkerKindCount), nullptr);
}

}  // namespace
}  // namespace mapview
