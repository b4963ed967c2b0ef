#include <gtest/gtest.h>

#include <ostream>
#include <unistd.h>

#include <cmath>

#include "TestFiles.h"
#include "recording/MappedFileReader.h"

namespace recording {
namespace {

using testfiles::BE32;
using testfiles::Box;
using testfiles::BoxWithSize;
using testfiles::Bytes;
using testfiles::Concat;
using testfiles::Text;
using testfiles::Zeros;

class Locators : public ::testing::Test {
 protected:
  std::filesystem::path Write(const Bytes& bytes) {
    const auto path = dir_ / "f.MOV";
    testfiles::WriteFile(path, bytes);
    return path;
  }
  testfiles::TempDir dir_;
};

TEST_F(Locators, PatternSkipsMediaDataAndFindsTheRealMvhd) {
  // "mvhd" bytes inside mdat must not match; the box after it must.
  const Bytes media = Concat({Text("....mvhd"), BE32(1), BE32(2), BE32(3), BE32(4), BE32(5), Zeros(40)});
  const auto path = Write(testfiles::MiniRecording(600, 1200, 60, 10, media));
  MappedFileReader reader;
  ASSERT_TRUE(reader.Open(path));
  std::uint32_t timescale = 0;
  ScanTarget target = ScanTarget::ForKey("mvhd", [&](const LocatedBytes& at) { return at.ReadBE32(12, &timescale); });
  EXPECT_TRUE(reader.LocateByPattern(target));
  EXPECT_EQ(timescale, 600u);
  EXPECT_EQ(reader.records_found(), 1);
}

TEST_F(Locators, PatternWithoutMatchSucceedsWithoutCall) {
  MappedFileReader reader;
  ASSERT_TRUE(reader.Open(Write(Concat({Box("ftyp", Zeros(12)), Box("free", Zeros(400))}))));
  bool called = false;
  ScanTarget target = ScanTarget::ForKey("mvhd", [&](const LocatedBytes&) { return called = true; });
  EXPECT_TRUE(reader.LocateByPattern(target));
  EXPECT_FALSE(called);
}

TEST_F(Locators, PatternFailsOnABrokenMdatSize) {
  MappedFileReader reader;
  ASSERT_TRUE(reader.Open(Write(Concat({Box("ftyp", Zeros(12)), BoxWithSize(0, "mdat", Zeros(400))}))));
  ScanTarget target = ScanTarget::ForKey("mvhd", [](const LocatedBytes&) { return true; });
  EXPECT_FALSE(reader.LocateByPattern(target));
  EXPECT_NE(reader.last_error().find("mdat"), std::string::npos);
}

TEST_F(Locators, MatchResetsOnAPartialKey) {
  MappedFileReader reader;
  ASSERT_TRUE(reader.Open(Write(Concat({Text("xxmvmvhdAB"), Zeros(300)}))));
  std::uint8_t after[2] = {};
  ScanTarget target = ScanTarget::ForKey("mvhd", [&](const LocatedBytes& at) { return at.Read(0, after, 2); });
  EXPECT_TRUE(reader.LocateByPattern(target));
  EXPECT_EQ(after[0], 'A');
  EXPECT_EQ(after[1], 'B');
}

TEST_F(Locators, CancelEndsARunAndClearsTheFlag) {
  MappedFileReader reader;
  ASSERT_TRUE(reader.Open(Write(testfiles::MiniRecording(600, 1200, 60, 10))));
  ScanTarget target = ScanTarget::ForKey("mvhd", [](const LocatedBytes&) { return true; });
  reader.Cancel();
  EXPECT_FALSE(reader.LocateByPattern(target));
  EXPECT_TRUE(reader.LocateByPattern(target)) << "the flag is cleared when the run stops";
}

TEST_F(Locators, TimingOfAGeneratedRecording) {
  const auto& rec = testfiles::SharedCard().front();
  auto timing = ReadRecordingTiming(rec.main_path);
  ASSERT_TRUE(timing) << timing.error();
  EXPECT_FLOAT_EQ(timing->duration_seconds, 2.0f);
  EXPECT_NEAR(timing->frame_duration_ms, 1000.0f / 30.0f, 1e-3);
}

struct TimingCase {
  const char* name;
  Bytes file;
  const char* reason;
  friend void PrintTo(const TimingCase& c, std::ostream* os) { *os << c.name; }
};

class BadTiming : public Locators, public ::testing::WithParamInterface<TimingCase> {};

TEST_P(BadTiming, FailsWithAReasonAndNoNaN) {
  auto timing = ReadRecordingTiming(Write(GetParam().file));
  ASSERT_FALSE(timing);
  EXPECT_NE(timing.error().find(GetParam().reason), std::string::npos) << timing.error();
}

INSTANTIATE_TEST_SUITE_P(
    Locators, BadTiming,
    ::testing::Values(TimingCase{"zero_timescale", testfiles::MiniRecording(0, 1200, 60, 10), "timescale is 0"},
                      TimingCase{"zero_frames", testfiles::MiniRecording(600, 1200, 0, 10), "no frames"},
                      TimingCase{"zero_duration", testfiles::MiniRecording(600, 0, 60, 10), "no duration"},
                      TimingCase{"no_moov", Concat({Box("ftyp", Zeros(12)), Box("mdat", Zeros(400))}), "no moov"},
                      TimingCase{"mvhd_cut_short",
                                 Concat({Box("ftyp", Zeros(12)), Box("moov", Box("mvhd", Zeros(10))), Zeros(300)}),
                                 "cut short"},
                      TimingCase{"zero_size_on_the_path",
                                 Concat({Box("ftyp", Zeros(12)), Box("moov", Concat({Box("mvhd", Concat({Zeros(12), BE32(600), BE32(1200), Zeros(80)})),
                                                                                        BoxWithSize(0, "free", Zeros(8))})),
                                         Zeros(300)}),
                                 "size 0"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Locators, IsRecording) {
  EXPECT_TRUE(IsRecording(testfiles::SharedCard().front().main_path));
  const auto path = dir_ / "x.MOV";
  testfiles::WriteFile(path, {});
  EXPECT_FALSE(IsRecording(path)) << "empty";
  testfiles::WriteFile(path, Concat({Box("ftyp", Zeros(12)), Zeros(239)}));
  EXPECT_FALSE(IsRecording(path)) << "259 bytes";
  testfiles::WriteFile(path, Concat({Box("ftyp", Zeros(12)), Zeros(240)}));
  EXPECT_TRUE(IsRecording(path)) << "ftyp at 4 and 260 bytes, whatever follows";
  testfiles::WriteFile(path, Concat({Box("fty ", Zeros(12)), Zeros(300)}));
  EXPECT_FALSE(IsRecording(path));
  EXPECT_FALSE(IsRecording(dir_.path()));
  EXPECT_FALSE(IsRecording(dir_ / "missing.MOV"));
}

TEST_F(Locators, FileTruncatedWhileMappedFailsTheRead) {
  const auto path = Write(testfiles::MiniRecording(600, 1200, 60, 10, Bytes(1 << 20, 0x11)));
  MappedFileReader reader;
  ASSERT_TRUE(reader.Open(path));
  ASSERT_EQ(truncate(path.c_str(), 100), 0);
  ScanTarget target = ScanTarget::ForKey("mvhd", [](const LocatedBytes&) { return true; });
  EXPECT_FALSE(reader.LocateByPattern(target));
  EXPECT_FALSE(reader.last_error().empty());
}

}  // namespace
}  // namespace recording
