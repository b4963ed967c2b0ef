#include "recording/SensorDataFile.h"

#include <gtest/gtest.h>

#include "TestFiles.h"
#include "recording/CompanionPath.h"
#include "tools/samplecard/SensorLog.h"

namespace recording {
namespace {

using Record = std::array<std::uint8_t, 124>;

class SensorFiles : public ::testing::Test {
 protected:
  std::filesystem::path WriteBlock(const std::vector<Record>& records, samplecard::SensorHeaderFields header = {},
                                   const char* name = "A__-240301-101500-000001D.ADA") {
    const auto path = dir_ / name;
    testfiles::WriteFile(path, samplecard::FormatBlock(header, records));
    return path;
  }
  static std::vector<Record> Records(int n) {
    std::vector<Record> out;
    for (int i = 0; i < n; ++i) {
      samplecard::SensorRecordFields f;
      f.x_mg = i * 10;
      f.y_mg = -i * 20;
      f.z_mg = 5;
      out.push_back(samplecard::FormatRecord(f));
    }
    return out;
  }
  testfiles::TempDir dir_;
};

TEST_F(SensorFiles, LoadsTheGeneratedCardsData) {
  const auto& rec = testfiles::SharedCard().front();
  SensorDataFile data;
  ASSERT_TRUE(data.Load(DataPath(rec.main_path))) << data.last_error();
  EXPECT_TRUE(data.loaded());
  EXPECT_EQ(static_cast<int>(data.gps().size()), rec.records);
  EXPECT_EQ(data.last_index(), rec.records - 1);
  EXPECT_EQ(std::string(data.header().version.data(), 6), "010402");
  EXPECT_EQ(data.gps().front().date_time.year, 2024);
  EXPECT_NEAR(data.gps().front().latitude, 35.67, 0.03) << "a drive through central Tokyo";
  EXPECT_NEAR(data.gps().front().longitude, 139.76, 0.03);
}

TEST_F(SensorFiles, EmptyBlockCountsAsLoaded) {
  SensorDataFile data;
  ASSERT_TRUE(data.Load(WriteBlock({})));
  EXPECT_TRUE(data.loaded());
  EXPECT_EQ(data.last_index(), -1);
  data.set_frame_duration(33.3f);
  EXPECT_FALSE(data.IndexFrames(100)) << "nothing to index";
}

TEST_F(SensorFiles, BlockAfterLeadingBoxesIsFound) {
  const auto path = dir_ / "boxed.ADA";
  auto block = samplecard::FormatBlock({}, Records(4));
  testfiles::WriteFile(path, testfiles::Concat({testfiles::Box("free", testfiles::Zeros(20)), block}));
  SensorDataFile data;
  ASSERT_TRUE(data.Load(path)) << data.last_error();
  EXPECT_EQ(data.gps().size(), 4u);
}

TEST_F(SensorFiles, BrokenFilesFailAndKeepNothing) {
  SensorDataFile data;
  const auto zero = dir_ / "zero.ADA";
  testfiles::WriteFile(zero, testfiles::Concat({testfiles::BE32(0), testfiles::Text("free"), testfiles::Zeros(20)}));
  EXPECT_FALSE(data.Load(zero));
  EXPECT_FALSE(data.loaded());
  EXPECT_FALSE(data.Load(dir_ / "missing.ADA"));
  EXPECT_FALSE(data.last_error().empty());
  EXPECT_FALSE(data.Load(dir_.path()));
  auto cut = samplecard::FormatBlock({}, Records(5));
  cut.resize(cut.size() - 200);
  const auto short_path = dir_ / "short.ADA";
  testfiles::WriteFile(short_path, cut);
  EXPECT_FALSE(data.Load(short_path));
  EXPECT_TRUE(data.gps().empty());
}

TEST_F(SensorFiles, FileWithoutBlockHasNoSamples) {
  const auto path = dir_ / "none.ADA";
  testfiles::WriteFile(path, testfiles::Box("free", testfiles::Zeros(40)));
  SensorDataFile data;
  ASSERT_TRUE(data.Load(path));
  EXPECT_TRUE(data.gps().empty());
}

// Times in milliseconds at a frame duration of 100/3 ms.
std::vector<Record> RecordsAtTimes(int n) { return std::vector<Record>(static_cast<std::size_t>(n), samplecard::FormatRecord({})); }

TEST_F(SensorFiles, SampleTakesEffectOnTheFrameAfterItsOwn) {
  // 10 Hz samples under 30 fps: samples at frames 0, 3, 6, ...
  SensorDataFile data;
  ASSERT_TRUE(data.Load(WriteBlock(RecordsAtTimes(3))));
  data.set_frame_duration(100.0f / 3.0f);
  ASSERT_TRUE(data.IndexFrames(9));
  EXPECT_EQ(data.accel()[1].time, 3);
  EXPECT_EQ(data.accel()[2].time, 6);
  const int expected[] = {0, 0, 0, 0, 1, 1, 1, 2, 2};
  for (int i = 0; i < 9; ++i) EXPECT_EQ(data.SampleAtFrame(i)->index, expected[i]) << "frame " << i;
  EXPECT_EQ(data.SampleAtFrame(9), nullptr);
}

TEST_F(SensorFiles, IndexNeverFallsBehindWhenSamplesOutnumberFrames) {
  samplecard::SensorHeaderFields header;
  header.rate = 'T';
  SensorDataFile data;
  ASSERT_TRUE(data.Load(WriteBlock(RecordsAtTimes(150), header)));  // 10 s at 15 Hz
  data.set_frame_duration(100.0f);                                   // 10 fps
  ASSERT_TRUE(data.IndexFrames(100));
  for (int i = 0; i < 100; ++i) {
    const AccelSample* s = data.SampleAtFrame(i);
    ASSERT_NE(s, nullptr);
    EXPECT_LE(s->time, i);
    const auto next = static_cast<std::size_t>(s->index) + 1;
    if (next < data.accel().size() && i > 0) {
      EXPECT_GE(data.accel()[next].time, i) << "frame " << i << " lags behind its samples";
    }
  }
  EXPECT_GE(data.SampleAtFrame(99)->index, 146);
}

TEST_F(SensorFiles, FramesPastTheLastSampleShowTheLastSample) {
  SensorDataFile data;
  ASSERT_TRUE(data.Load(WriteBlock(RecordsAtTimes(2))));
  data.set_frame_duration(100.0f / 3.0f);
  ASSERT_TRUE(data.IndexFrames(30));
  EXPECT_EQ(data.SampleAtFrame(29)->index, 1);
}

TEST_F(SensorFiles, IndexingNeedsFramesAndAFrameDuration) {
  SensorDataFile data;
  ASSERT_TRUE(data.Load(WriteBlock(RecordsAtTimes(3))));
  EXPECT_FALSE(data.IndexFrames(10)) << "no frame duration";
  data.set_frame_duration(33.3f);
  EXPECT_FALSE(data.IndexFrames(0));
  EXPECT_FALSE(data.IndexFrames(-5));
  EXPECT_TRUE(data.frame_index().empty());
}

TEST_F(SensorFiles, CrossLinksLagFiveGpsSamplesAndFindTheLargestG) {
  SensorDataFile data;
  ASSERT_TRUE(data.Load(WriteBlock(Records(20))));
  data.set_frame_duration(100.0f);  // one sample a frame
  ASSERT_TRUE(data.IndexFrames(20));
  const auto& accel = data.accel();
  const auto& gps = data.gps();
  for (int j = 0; j < 20; ++j) {
    const int g = std::min(j + 1, 19);  // the current GPS sample has moved past j
    const int expected = g < 5 ? 0 : g - 5;
    EXPECT_EQ(accel[static_cast<std::size_t>(j)].gps_link, &gps[static_cast<std::size_t>(expected)]) << j;
  }
  EXPECT_EQ(gps[3].accel_link, &accel[3]);
  EXPECT_DOUBLE_EQ(data.largest_acceleration(), static_cast<double>(19 * 20 / 1000.0f));
}

TEST_F(SensorFiles, MoveHandsEverythingOver) {
  SensorDataFile preload, active;
  ASSERT_TRUE(preload.Load(WriteBlock(Records(5))));
  EXPECT_TRUE(SensorDataFile::Move(preload, active));
  EXPECT_EQ(active.gps().size(), 5u);
  EXPECT_TRUE(preload.gps().empty());
  EXPECT_EQ(preload.last_index(), -1);
  EXPECT_FALSE(SensorDataFile::Move(preload, active)) << "moving an empty file leaves an empty target";
  EXPECT_TRUE(active.gps().empty());
}

TEST_F(SensorFiles, HeaderOnlyAndRoute) {
  const auto& card = testfiles::SharedCard();
  SensorDataHeader header;
  ASSERT_TRUE(ReadHeaderOnly(card[0].main_path, &header));
  EXPECT_EQ(header.rate, 'N');
  EXPECT_FALSE(ReadHeaderOnly(dir_ / "Main" / "A__-240301-101500-000001M.MOV", &header));

  std::vector<GpsSample> route;
  ASSERT_TRUE(LoadRoute({card[0].main_path, card[1].main_path}, &route));
  ASSERT_EQ(static_cast<int>(route.size()), card[0].records + card[1].records);
  EXPECT_EQ(route[static_cast<std::size_t>(card[0].records)].index, 0) << "indices restart for each file";
  EXPECT_FALSE(LoadRoute({card[2].main_path, dir_ / "Main" / "missing.MOV"}, &route));
  EXPECT_EQ(static_cast<int>(route.size()), card[2].records) << "what was appended is kept";
}

TEST_F(SensorFiles, IsDataFile) {
  EXPECT_TRUE(IsDataFile(WriteBlock(Records(1))));
  const auto other = dir_ / "other.ADA";
  testfiles::WriteFile(other, testfiles::Text("CSMDA"));
  EXPECT_FALSE(IsDataFile(other));
  EXPECT_FALSE(IsDataFile(dir_ / "missing.ADA"));
}

}  // namespace
}  // namespace recording
