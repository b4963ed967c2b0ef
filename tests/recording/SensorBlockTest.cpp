#include "recording/SensorBlock.h"

#include <gtest/gtest.h>

#include <ostream>

#include <cstring>

#include "TestFiles.h"
#include "tools/samplecard/SensorLog.h"

namespace recording {
namespace {

using Record = std::array<std::uint8_t, 124>;

std::vector<Record> Records(int n, samplecard::SensorRecordFields fields = {}) {
  std::vector<Record> out;
  for (int i = 0; i < n; ++i) out.push_back(samplecard::FormatRecord(fields));
  return out;
}

// Decodes a block given as file bytes (starting with "CSMDAT").
bool Decode(const std::vector<std::uint8_t>& file, DecodedBlock* out, std::string* why = nullptr) {
  return DecodeBlock(file.data() + kMarkerSize, file.size() - kMarkerSize, out, why);
}

std::vector<std::uint8_t> WithCount(std::vector<std::uint8_t> file, std::uint16_t count) {
  file[32] = static_cast<std::uint8_t>(count >> 8);
  file[33] = static_cast<std::uint8_t>(count);
  return file;
}

TEST(SensorBlock, ZeroRecordsDecodeToNothing) {
  DecodedBlock block;
  ASSERT_TRUE(Decode(samplecard::FormatBlock({}, {}), &block));
  EXPECT_TRUE(block.gps.empty());
  EXPECT_TRUE(block.accel.empty());
}

TEST(SensorBlock, CountUntilEndMarkerReadsTheRecordsBeforeIt) {
  DecodedBlock block;
  ASSERT_TRUE(Decode(WithCount(samplecard::FormatBlock({}, Records(3)), 0xFFFF), &block));
  EXPECT_EQ(block.gps.size(), 3u);
  EXPECT_EQ(block.accel.size(), 3u);
}

TEST(SensorBlock, EndMarkerBeforeTheCountFails) {
  DecodedBlock block;
  std::string why;
  EXPECT_FALSE(Decode(WithCount(samplecard::FormatBlock({}, Records(3)), 5), &block, &why));
  EXPECT_TRUE(block.gps.empty());
  EXPECT_FALSE(why.empty());
}

TEST(SensorBlock, CountPastTheDataFails) {
  auto file = WithCount(samplecard::FormatBlock({}, Records(3)), 40);
  DecodedBlock block;
  std::string why;
  EXPECT_FALSE(Decode(file, &block, &why));
  EXPECT_NE(why.find("record count"), std::string::npos) << why;
}

TEST(SensorBlock, CountUntilEndWithoutEndMarkerStopsAtTheEndOfTheData) {
  auto file = WithCount(samplecard::FormatBlock({}, Records(4)), 0xFFFF);
  file.resize(file.size() - 6 - 60);  // no end marker, half a record cut off
  DecodedBlock block;
  ASSERT_TRUE(Decode(file, &block));
  EXPECT_EQ(block.gps.size(), 3u);
}

TEST(SensorBlock, BlockWithoutEndMarkerButFullCountDecodes) {
  auto file = samplecard::FormatBlock({}, Records(2));
  file.resize(file.size() - 6);
  DecodedBlock block;
  ASSERT_TRUE(Decode(file, &block));
  EXPECT_EQ(block.gps.size(), 2u);
}

TEST(SensorBlock, FifteenHertzTimesUseFloatArithmetic) {
  samplecard::SensorHeaderFields header;
  header.rate = 'T';
  DecodedBlock block;
  ASSERT_TRUE(Decode(samplecard::FormatBlock(header, Records(31)), &block));
  EXPECT_FLOAT_EQ(block.period, 66.666664f);
  EXPECT_EQ(block.gps[15].time, 999);
  EXPECT_EQ(block.gps[30].time, 1999);
  EXPECT_EQ(block.accel[15].time, 999);
  DecodedBlock ten;
  ASSERT_TRUE(Decode(samplecard::FormatBlock({}, Records(16)), &ten));
  EXPECT_EQ(ten.gps[15].time, 1500);
}

TEST(SensorBlock, LatitudeAndHemisphere) {
  Record r = samplecard::FormatRecord({});
  std::memcpy(r.data() + 6, "3540.5000", 9);
  r[15] = 'N';
  std::memcpy(r.data() + 16, "13945.6000", 10);
  r[26] = 0;
  GpsSample gps;
  AccelSample accel;
  RecordTimeCache cache;
  DecodeRecord(r.data(), 0, 100.0f, cache, &gps, &accel);
  EXPECT_DOUBLE_EQ(gps.latitude, 35.675);
  EXPECT_NEAR(gps.longitude, -(139 + 45.6 / 60.0), 1e-12);
  r[15] = 0;
  DecodeRecord(r.data(), 0, 100.0f, cache, &gps, &accel);
  EXPECT_DOUBLE_EQ(gps.latitude, -35.675);
}

TEST(SensorBlock, DateRollsOverWithAddedSeconds) {
  samplecard::SensorRecordFields f;
  f.year = 2024;
  f.month = 2;
  f.day = 29;
  f.hour = 23;
  f.minute = 59;
  f.second = 59;
  f.add_seconds = 10;
  const Record r = samplecard::FormatRecord(f);
  GpsSample gps;
  AccelSample accel;
  RecordTimeCache cache;
  DecodeRecord(r.data(), 0, 100.0f, cache, &gps, &accel);
  EXPECT_EQ(gps.date_time.year, 2024);
  EXPECT_EQ(gps.date_time.month, 3);
  EXPECT_EQ(gps.date_time.day, 1);
  EXPECT_EQ(gps.date_time.hour, 0);
  EXPECT_EQ(gps.date_time.minute, 0);
  EXPECT_EQ(gps.date_time.second, 9);
  EXPECT_EQ(gps.date_time.day_of_week, 5);  // a Friday
}

struct EventCase {
  const char* name;
  std::vector<std::pair<int, char>> bytes;
  int event;
  friend void PrintTo(const EventCase& c, std::ostream* os) { *os << c.name; }
};

class RecordEvents : public ::testing::TestWithParam<EventCase> {};

TEST_P(RecordEvents, AreDecidedInOrder) {
  Record r = samplecard::FormatRecord({});
  for (auto [at, c] : GetParam().bytes) r[static_cast<std::size_t>(at)] = static_cast<std::uint8_t>(c);
  GpsSample gps;
  AccelSample accel;
  RecordTimeCache cache;
  DecodeRecord(r.data(), 0, 100.0f, cache, &gps, &accel);
  EXPECT_EQ(accel.event, GetParam().event);
}

INSTANTIATE_TEST_SUITE_P(
    Records, RecordEvents,
    ::testing::Values(EventCase{"none", {}, -1}, EventCase{"emergency_beats_user_mark", {{72, 'D'}, {75, 'D'}}, 6},
                      EventCase{"user_mark", {{72, 'D'}}, 5}, EventCase{"user_mark_beats_parking", {{72, 'D'}, {76, 'D'}}, 5},
                      EventCase{"parking", {{76, 'D'}}, 7}, EventCase{"parking_beats_letter", {{76, 'D'}, {74, 'H'}}, 7},
                      EventCase{"assist_h", {{74, 'H'}}, 11}, EventCase{"assist_a", {{74, 'A'}}, 12},
                      EventCase{"assist_b", {{74, 'B'}}, 13}, EventCase{"letter_n", {{74, 'N'}}, -1},
                      EventCase{"lower_case_d_is_nothing", {{72, 'd'}, {75, 'd'}}, -1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SensorBlock, RecordFieldsRoundTrip) {
  samplecard::SensorRecordFields f;
  f.fix = 'V';
  f.latitude = 35.681236;
  f.longitude = 139.767125;
  f.speed = 48;
  f.x_mg = -850;
  f.y_mg = 12;
  f.z_mg = 1003;
  f.axis = 'Y';
  f.second_flag = 'D';
  f.extra = 0xC8;
  const Record r = samplecard::FormatRecord(f);
  GpsSample gps;
  AccelSample accel;
  RecordTimeCache cache;
  DecodeRecord(r.data(), 7, 100.0f, cache, &gps, &accel);
  EXPECT_EQ(gps.index, 7);
  EXPECT_EQ(gps.time, 700);
  EXPECT_EQ(gps.fix_valid, 0);
  EXPECT_NEAR(gps.latitude, 35.681236, 1e-5);
  EXPECT_NEAR(gps.longitude, 139.767125, 1e-5);
  EXPECT_EQ(gps.speed, 48);
  EXPECT_FLOAT_EQ(static_cast<float>(accel.x), -0.85f);
  EXPECT_FLOAT_EQ(static_cast<float>(accel.y), 0.012f);
  EXPECT_FLOAT_EQ(static_cast<float>(accel.z), 1.003f);
  EXPECT_EQ(accel.axis, 2);
  EXPECT_EQ(accel.flag, 8);
  EXPECT_EQ(accel.extra, 0xC8);
  EXPECT_EQ(accel.event, -1);
  EXPECT_EQ(accel.gps_link, nullptr);
}

TEST(SensorBlock, NonDigitsReadAsZero) {
  Record r = samplecard::FormatRecord({});
  std::memcpy(r.data() + 27, "fast", 4);
  std::memcpy(r.data() + 57, "--+.x", 5);
  std::memcpy(r.data() + 6, "?????????", 9);
  GpsSample gps;
  AccelSample accel;
  RecordTimeCache cache;
  DecodeRecord(r.data(), 0, 100.0f, cache, &gps, &accel);
  EXPECT_EQ(gps.speed, 0.0);
  EXPECT_EQ(accel.x, 0.0);
  EXPECT_EQ(gps.latitude, 0.0);
}

TEST(SensorBlock, HeaderModeDecidesTheThresholds) {
  samplecard::SensorHeaderFields h;
  h.a_mg = 350;
  h.b_mg = 420;
  h.c_mg = 1500;
  h.d_mg = 7;
  SensorDataHeader out;
  auto bytes = samplecard::FormatHeader(h);
  ASSERT_EQ(DecodeHeader(bytes.data(), bytes.size(), &out), 26u);
  EXPECT_FLOAT_EQ(out.a, 0.35f);
  EXPECT_FLOAT_EQ(out.b, 0.42f);
  EXPECT_FLOAT_EQ(out.c, 1.5f);
  EXPECT_FLOAT_EQ(out.d, 0.007f);
  EXPECT_EQ(std::string(out.version.data(), 6), "010402");
  EXPECT_EQ(out.quality, 'H');
  h.mode = 'X';
  bytes = samplecard::FormatHeader(h);
  DecodeHeader(bytes.data(), bytes.size(), &out);
  EXPECT_EQ(out.a, -1.0f);
  EXPECT_EQ(out.d, -1.0f);
}

TEST(SensorBlock, ChainedHeaderReplacesTheFirst) {
  samplecard::SensorHeaderFields first, second;
  second.rate = 'T';
  second.version[0] = 9;
  std::vector<std::uint8_t> bytes(26 + 8 + 26 + 40, ' ');
  auto a = samplecard::FormatHeader(first), b = samplecard::FormatHeader(second);
  std::memcpy(bytes.data(), a.data(), 26);
  std::memcpy(bytes.data() + 30, "@CSM", 4);
  std::memcpy(bytes.data() + 34, b.data(), 26);
  SensorDataHeader out;
  EXPECT_EQ(DecodeHeader(bytes.data(), bytes.size(), &out), 52u);
  EXPECT_EQ(out.rate, 'T');
  EXPECT_EQ(out.version[1], '9');
  bytes[33] = 'm';  // lower case: no chain
  EXPECT_EQ(DecodeHeader(bytes.data(), bytes.size(), &out), 26u);
  EXPECT_EQ(out.rate, 'N');
}

// A block whose count field says 0xFFFF: n records, "CSMEND", then the given bytes.
std::vector<std::uint8_t> UntilEndBlock(int n, const std::vector<std::uint8_t>& after_marker) {
  auto file = WithCount(samplecard::FormatBlock({}, Records(n)), 0xFFFF);
  file.resize(kRecordsOffset + kRecordSize * static_cast<std::size_t>(n) + kMarkerSize);
  file.insert(file.end(), after_marker.begin(), after_marker.end());
  return file;
}

std::vector<std::uint8_t> BE32(std::uint32_t v) {
  return {static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 8),
          static_cast<std::uint8_t>(v)};
}

// What a block reader makes of one block: decoded and read raw, the same.
struct Outcome {
  bool ok;
  std::size_t records;
  std::string why;
};

Outcome ReadBoth(const BlockReader& read, std::size_t available) {
  DecodedBlock decoded;
  RawBlock raw;
  std::string why_decoded, why_raw;
  const bool decoded_ok = DecodeBlock(read, available, &decoded, &why_decoded);
  const bool raw_ok = ReadRawBlock(read, available, &raw, &why_raw);
  EXPECT_EQ(decoded_ok, raw_ok);
  EXPECT_EQ(decoded.gps.size(), raw.records.size());
  EXPECT_EQ(why_decoded, why_raw);
  return {decoded_ok, raw.records.size(), why_decoded};
}

Outcome ReadBoth(const std::vector<std::uint8_t>& file) {
  return ReadBoth(
      [&file](std::size_t offset, void* dst, std::size_t n) {
        std::memcpy(dst, file.data() + kMarkerSize + offset, n);
        return true;
      },
      file.size() - kMarkerSize);
}

struct TailCase {
  const char* name;
  std::vector<std::uint8_t> file;
  bool ok;
  std::size_t records;
  friend void PrintTo(const TailCase& c, std::ostream* os) { *os << c.name; }
};

class BlockEnds : public ::testing::TestWithParam<TailCase> {};

TEST_P(BlockEnds, AreReadUpToTheEndMarkerAndTheLongCountIsChecked) {
  const Outcome got = ReadBoth(GetParam().file);
  EXPECT_EQ(got.ok, GetParam().ok) << got.why;
  EXPECT_EQ(got.records, GetParam().ok ? GetParam().records : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    SensorBlock, BlockEnds,
    ::testing::Values(TailCase{"no_count_after_the_marker", UntilEndBlock(3, {}), true, 3},
                      TailCase{"padding_after_the_marker", UntilEndBlock(3, {0, 0, 0, 0, 0, 0}), true, 3},
                      TailCase{"box_after_the_marker", UntilEndBlock(3, testfiles::Box("free", testfiles::Zeros(200))),
                               true, 3},
                      TailCase{"short_block_with_its_count", UntilEndBlock(3, BE32(3)), true, 3},
                      // Records were lost before a stray end marker.
                      TailCase{"short_block_with_a_long_count", UntilEndBlock(3, BE32(70000)), false, 0},
                      TailCase{"long_block_with_its_count", samplecard::FormatBlock({}, Records(65535)), true, 65535},
                      TailCase{"long_block_with_another_count", UntilEndBlock(65535, BE32(65536)), false, 0},
                      TailCase{"long_block_without_a_count", UntilEndBlock(65536, {}), true, 65536}),
    [](const auto& info) { return std::string(info.param.name); });

// Reads fail from a byte offset on (counted from the first header byte).
struct ReadFaultCase {
  const char* name;
  int records;
  bool until_end;
  std::size_t failing_from;
  friend void PrintTo(const ReadFaultCase& c, std::ostream* os) { *os << c.name; }
};

class BlockReadErrors : public ::testing::TestWithParam<ReadFaultCase> {};

TEST_P(BlockReadErrors, FailTheReadAndKeepNothing) {
  const ReadFaultCase& c = GetParam();
  auto file = samplecard::FormatBlock({}, Records(c.records));
  if (c.until_end) file = WithCount(file, 0xFFFF);
  const BlockReader failing = [&](std::size_t offset, void* dst, std::size_t n) {
    if (offset + n > c.failing_from) return false;
    std::memcpy(dst, file.data() + kMarkerSize + offset, n);
    return true;
  };
  const Outcome got = ReadBoth(failing, file.size() - kMarkerSize);
  EXPECT_FALSE(got.ok);
  EXPECT_EQ(got.records, 0u);
  EXPECT_NE(got.why.find("read error"), std::string::npos) << got.why;
}

constexpr std::size_t kFirstRecord = kHeaderSize + 2;
constexpr std::size_t EndOf(std::size_t records) { return kFirstRecord + kRecordSize * records; }

INSTANTIATE_TEST_SUITE_P(
    SensorBlock, BlockReadErrors,
    ::testing::Values(ReadFaultCase{"in_the_header", 600, false, 10},
                      ReadFaultCase{"in_the_records", 600, false, 1000},
                      ReadFaultCase{"in_the_records_until_the_end_marker", 600, true, 1000},
                      ReadFaultCase{"at_the_end_marker", 600, true, EndOf(600) + 2},
                      ReadFaultCase{"at_the_long_count", 65535, true, EndOf(65535) + kMarkerSize + 2}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace recording
