#include "viewer/commands/CsvExport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>

#include "FakeFileSystem.h"
#include "TestFiles.h"
#include "platform/ScopedFileSystem.h"
#include "tools/samplecard/SensorLog.h"
#include "viewer/commands/CsvEncoder.h"
#include "viewer/commands/CsvExportJob.h"
#include "viewer/commands/CsvLine.h"
#include "viewer/settings/FolderIni.h"
#include "viewer/settings/IniFile.h"

namespace viewer {
namespace {

namespace fs = std::filesystem;
using testfiles::Bytes;

// One recording in the recorder's folders: its front file as the video
// track describes it, a rear file and a data file when asked for.
struct RecordingSpec {
  std::string name;  // the front file's name
  std::uint16_t height = 1080;
  std::uint32_t timescale = 30000;
  std::uint32_t delta = 1000;
  std::uint32_t frames = 90;
  std::uint64_t main_size = 0;  // 0: as written; otherwise extended to this size
  std::int64_t sub_size = 3 * (1 << 20) + 5;  // -1: no rear file
  std::optional<char> quality = 'H';          // none: no data file
  bool garbage_main = false;                  // the front file is not a recording
};

Bytes Movie(const RecordingSpec& r) {
  testfiles::MiniTrack video;
  video.width = r.height == 0 ? 0 : static_cast<std::uint16_t>(r.height * 16 / 9);
  video.height = r.height;
  video.timescale = r.timescale;
  video.stts = {{r.frames, r.delta}};
  return testfiles::MiniMovie(r.timescale, std::uint64_t{r.frames} * r.delta, {testfiles::MiniTrak(video)},
                              Bytes(r.frames, 0xAB));
}

void Extend(const fs::path& path, std::uint64_t size) {
  if (size != 0) fs::resize_file(path, size);
}

// Writes root/Main, root/Sub_ and root/Data files of the recording; returns
// the front file's path.
fs::path WriteRecording(const fs::path& root, const RecordingSpec& r) {
  const fs::path main = root / "Main" / r.name;
  fs::create_directories(main.parent_path());
  testfiles::WriteFile(main, r.garbage_main ? Bytes(4096, 0x5A) : Movie(r));
  Extend(main, r.main_size);
  const std::string base = r.name.size() > 24 ? r.name.substr(0, 24) : r.name;
  if (r.sub_size >= 0) {
    const fs::path sub = root / "Sub_" / (base + "S.MOV");
    fs::create_directories(sub.parent_path());
    testfiles::WriteFile(sub, Movie(r));
    Extend(sub, static_cast<std::uint64_t>(r.sub_size));
  }
  if (r.quality) {
    samplecard::SensorHeaderFields header;
    header.quality = *r.quality;
    const fs::path data = root / "Data" / (base + "D.ADA");
    fs::create_directories(data.parent_path());
    testfiles::WriteFile(data, samplecard::FormatBlock(header, {samplecard::FormatRecord({})}));
  }
  return main;
}

library::RecordingEntry EntryOf(const fs::path& main) {
  library::RecordingEntry e;
  e.path = main.string();
  e.name = main.filename().string();
  return e;
}

std::string ReadText(const fs::path& path) {
  const Bytes b = testfiles::ReadFile(path);
  return std::string(b.begin(), b.end());
}

struct LineCase {
  const char* quirk;
  RecordingSpec recording;
  std::string expected;
};

class CsvLineRows : public ::testing::TestWithParam<LineCase> {};

TEST_P(CsvLineRows, LineReadFromTheFiles) {
  testfiles::TempDir dir;
  const fs::path main = WriteRecording(dir.path(), GetParam().recording);
  EXPECT_EQ(CsvLine(main), GetParam().expected);
}

RecordingSpec Named(std::string name) {
  RecordingSpec r;
  r.name = std::move(name);
  return r;
}
template <typename F>
RecordingSpec With(std::string name, F change) {
  RecordingSpec r = Named(std::move(name));
  change(r);
  return r;
}

INSTANTIATE_TEST_SUITE_P(
    Quirks, CsvLineRows,
    ::testing::Values(
        LineCase{"full_hd_high_quality", Named("A__-220307-090501-000123M.MOV"),
                 "A__-220307-090501-000123M.MOV,2022/03/07,09:05:01,00:00:03,常時,FHD,高画質,30fps,0MB,3MB\r\n"},
        LineCase{"hd_low_quality_letter",
                 With("G__-231231-235959-000001M.MOV",
                      [](RecordingSpec& r) {
                        r.height = 720;
                        r.quality = 'L';
                      }),
                 "G__-231231-235959-000001M.MOV,2023/12/31,23:59:59,00:00:03,衝撃,HD,低画質,30fps,0MB,3MB\r\n"},
        LineCase{"sd", With("M__-240229-120000-000002M.MOV", [](RecordingSpec& r) { r.height = 360; }),
                 "M__-240229-120000-000002M.MOV,2024/02/29,12:00:00,00:00:03,マニュアル,SD,高画質,30fps,0MB,3MB\r\n"},
        LineCase{"height_of_no_size_class_leaves_size_and_quality_empty",
                 With("P__-240301-101500-000003M.MOV", [](RecordingSpec& r) { r.height = 180; }),
                 "P__-240301-101500-000003M.MOV,2024/03/01,10:15:00,00:00:03,駐車,,,30fps,0MB,3MB\r\n"},
        LineCase{"time_lapse_600_frames_at_30fps",
                 With("T__-240301-020000-000004M.MOV", [](RecordingSpec& r) { r.frames = 600; }),
                 "T__-240301-020000-000004M.MOV,2024/03/01,02:00:00,00:05:00,駐車タイムラプス,FHD,高画質,タイムラプス,0MB,"
                 "3MB\r\n"},
        // Its companions cannot be derived: no data header, and the rear
        // size is not the front file's own.
        LineCase{"name_without_a_date", With("clip.MOV", [](RecordingSpec& r) { r.main_size = 2 << 20; }),
                 "clip.MOV,--/--/--,--:--:--,00:00:03,,FHD,,30fps,2MB,0MB\r\n"},
        LineCase{"main_file_of_1048575_bytes",
                 With("A__-220307-090501-000123M.MOV", [](RecordingSpec& r) { r.main_size = 1048575; }),
                 "A__-220307-090501-000123M.MOV,2022/03/07,09:05:01,00:00:03,常時,FHD,高画質,30fps,0MB,3MB\r\n"},
        LineCase{"main_file_of_one_mib_and_sub_past_4_gib",
                 With("A__-220307-090501-000123M.MOV",
                      [](RecordingSpec& r) {
                        r.main_size = 1048576;
                        r.sub_size = (std::int64_t{5} << 30) + 7;
                      }),
                 "A__-220307-090501-000123M.MOV,2022/03/07,09:05:01,00:00:03,常時,FHD,高画質,30fps,1MB,5120MB\r\n"},
        LineCase{"missing_sub_file", With("A__-220307-090501-000123M.MOV", [](RecordingSpec& r) { r.sub_size = -1; }),
                 "A__-220307-090501-000123M.MOV,2022/03/07,09:05:01,00:00:03,常時,FHD,高画質,30fps,0MB,0MB\r\n"},
        LineCase{"unreadable_main_file_gives_the_nine_field_line",
                 With("A__-220307-090501-000123M.MOV", [](RecordingSpec& r) { r.garbage_main = true; }),
                 "A__-220307-090501-000123M.MOV,-,-,-,-,-,-,fps,0MB\r\n"},
        LineCase{"frame_rate_of_zero_gives_the_fallback_not_a_division",
                 With("A__-220307-090501-000123M.MOV", [](RecordingSpec& r) { r.timescale = 0; }),
                 "A__-220307-090501-000123M.MOV,-,-,-,-,-,-,fps,0MB\r\n"},
        LineCase{"no_data_file_leaves_the_quality_unknown",
                 With("A__-220307-090501-000123M.MOV", [](RecordingSpec& r) { r.quality.reset(); }),
                 "A__-220307-090501-000123M.MOV,2022/03/07,09:05:01,00:00:03,常時,FHD,,30fps,0MB,3MB\r\n"},
        LineCase{"ntsc_rate_truncates_the_length_and_rounds_the_rate",
                 With("A__-220307-090501-000123M.MOV",
                      [](RecordingSpec& r) {
                        r.delta = 1001;
                        r.frames = 1799;  // 60.03 s
                      }),
                 "A__-220307-090501-000123M.MOV,2022/03/07,09:05:01,00:01:00,常時,FHD,高画質,30fps,0MB,3MB\r\n"},
        LineCase{"exact_length_at_23_976_is_not_cut_a_second_short",
                 With("A__-220307-090501-000123M.MOV",
                      [](RecordingSpec& r) {
                        r.timescale = 24000;
                        r.delta = 1001;
                        r.frames = 24000;  // 1001 s exactly; 1000.99999 through a rate in floating point
                      }),
                 "A__-220307-090501-000123M.MOV,2022/03/07,09:05:01,00:16:41,常時,FHD,高画質,24fps,0MB,3MB\r\n"},
        LineCase{"longer_than_an_hour",
                 With("A__-220307-090501-000123M.MOV", [](RecordingSpec& r) { r.frames = 111000; }),
                 "A__-220307-090501-000123M.MOV,2022/03/07,09:05:01,01:01:40,常時,FHD,高画質,30fps,0MB,3MB\r\n"},
        LineCase{"name_with_a_comma_is_quoted", Named("trip,\"day\".MOV"),
                 "\"trip,\"\"day\"\".MOV\",--/--/--,--:--:--,00:00:03,,FHD,,30fps,0MB,0MB\r\n"}),
    [](const ::testing::TestParamInfo<LineCase>& info) { return std::string(info.param.quirk); });

TEST(CsvLineText, LongLinesAreNotCut) {
  const std::string name = std::string(300, 'x') + ".MOV";
  const std::string line = FormatCsvLine(name, CsvFacts{});
  EXPECT_EQ(line, name + ",-,-,-,-,-,-,fps,0MB\r\n");
}

TEST(CsvFileNames, NamedAfterTheFirstRecordingsStart) {
  const platform::SystemTime now{2031, 5, 0, 6, 7, 8, 9, 0};
  EXPECT_EQ(CsvFileName("MG_-220307-090501-000123M.MOV", now), "Dv_20220307_090501.csv");
  // Without a date in the name, the export's own time.
  EXPECT_EQ(CsvFileName("clip.MOV", now), "Dv_20310506_070809.csv");
}

struct EncodingCase {
  const char* quirk;
  std::string utf8;
  std::string cp932;
};

class CsvEncodingRows : public ::testing::TestWithParam<EncodingCase> {};

TEST_P(CsvEncodingRows, Cp932) {
  auto encoder = CsvEncoder::Create(CsvEncoding::kCp932);
  ASSERT_TRUE(encoder) << encoder.error();
  EXPECT_EQ((*encoder)->Preamble(), "");
  EXPECT_EQ((*encoder)->Encode(GetParam().utf8), GetParam().cp932);
}

INSTANTIATE_TEST_SUITE_P(
    Quirks, CsvEncodingRows,
    ::testing::Values(EncodingCase{"header_title", "ファイル名,", "\x83\x74\x83\x40\x83\x43\x83\x8B\x96\xBC\x2C"},
                      // Plain Shift-JIS has no U+FF5E; the code page has.
                      EncodingCase{"fullwidth_tilde", "～", "\x81\x60"},
                      EncodingCase{"backslash_stays_a_backslash", "a\\b~", "a\\b~"},
                      EncodingCase{"unmappable_letter_between_others", "Fahrt_ä_1", "Fahrt_?_1"},
                      EncodingCase{"each_unmappable_code_point_is_one_mark", "€😀é漢", "???\x8A\xBF"},
                      EncodingCase{"invalid_byte_of_a_file_name", "x\xFFy", "x?y"},
                      EncodingCase{"sequence_cut_short", "a\xE3\x81", "a??"},
                      EncodingCase{"encoded_surrogate", "\xED\xA0\x80z", "???z"}),
    [](const ::testing::TestParamInfo<EncodingCase>& info) { return std::string(info.param.quirk); });

TEST(CsvEncodingUtf8, MarkedAndOnlyInvalidBytesReplaced) {
  auto encoder = CsvEncoder::Create(CsvEncoding::kUtf8Bom);
  ASSERT_TRUE(encoder) << encoder.error();
  EXPECT_EQ((*encoder)->Preamble(), "\xEF\xBB\xBF");
  EXPECT_EQ((*encoder)->Encode("€😀～\xFF"), "€😀～?");
}

class CsvExporting : public ::testing::Test {
 protected:
  void SetUp() override {
    InitializeSettings(dir_ / "start", dir_ / "config");
    entries_.push_back(EntryOf(WriteRecording(dir_ / "card", Named("A__-220307-090501-000123M.MOV"))));
    entries_.push_back(EntryOf(WriteRecording(dir_ / "card", With("T__-220307-091001-000124M.MOV", [](RecordingSpec& r) {
                                                r.frames = 600;
                                                r.sub_size = -1;
                                              }))));
    entries_.push_back(EntryOf(WriteRecording(dir_ / "card", With("A__-220307-092001-000125M.MOV", [](RecordingSpec& r) {
                                                r.garbage_main = true;
                                              }))));
    fs::create_directories(out_);
  }

  static constexpr const char* kExpected =
      "ファイル名,日付,開始時刻,録画時間,録画トリガー,録画サイズ,画質,フレームレート,メインカメラデータサイズ,"
      "サブカメラデータサイズ\r\n"
      "A__-220307-090501-000123M.MOV,2022/03/07,09:05:01,00:00:03,常時,FHD,高画質,30fps,0MB,3MB\r\n"
      "T__-220307-091001-000124M.MOV,2022/03/07,09:10:01,00:05:00,駐車タイムラプス,FHD,高画質,タイムラプス,0MB,0MB\r\n"
      "A__-220307-092001-000125M.MOV,-,-,-,-,-,-,fps,0MB\r\n";

  std::vector<fs::path> OutFiles() const {
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(out_)) files.push_back(e.path().filename());
    return files;
  }

  testfiles::TempDir dir_;
  fs::path out_ = dir_ / "out";
  std::vector<library::RecordingEntry> entries_;
};

TEST_F(CsvExporting, Cp932FileDecodesBackToTheLines) {
  const fs::path target = CsvFilePath(entries_, out_);
  EXPECT_EQ(target.filename(), "Dv_20220307_090501.csv");
  std::vector<std::pair<std::size_t, std::size_t>> progress;
  const CsvExportResult result =
      ExportCsv(entries_, target, CsvEncoding::kCp932,
                {[&](std::size_t done, std::size_t total) { progress.emplace_back(done, total); }, nullptr});
  ASSERT_EQ(result.status, CsvExportStatus::kWritten) << result.error;
  const Bytes bytes = testfiles::ReadFile(target);
  const Bytes start = {0x83, 0x74, 0x83, 0x40, 0x83, 0x43, 0x83, 0x8B, 0x96, 0xBC, 0x2C};
  ASSERT_GE(bytes.size(), start.size());
  EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(start.size())), start);
  // The system's own converter reads the file back.
  int status = -1;
  const std::string decoded = testfiles::Run("iconv -f CP932 -t UTF-8 '" + target.string() + "'", &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(decoded, kExpected);
  EXPECT_EQ(progress, (std::vector<std::pair<std::size_t, std::size_t>>{{1, 3}, {2, 3}, {3, 3}}));
  EXPECT_EQ(OutFiles(), std::vector<fs::path>{"Dv_20220307_090501.csv"});
}

TEST_F(CsvExporting, Utf8SettingWritesUtf8WithAByteOrderMark) {
  EXPECT_EQ(CsvEncodingSetting(), CsvEncoding::kCp932);
  const fs::path ini = SettingsFilePath();
  fs::create_directories(ini.parent_path());
  testfiles::WriteFile(ini, testfiles::Text("[CSV]\r\nENCODING=UTF-8\r\n"));
  ASSERT_EQ(CsvEncodingSetting(), CsvEncoding::kUtf8Bom);
  const fs::path target = CsvFilePath(entries_, out_);
  ASSERT_EQ(ExportCsv(entries_, target, CsvEncodingSetting()).status, CsvExportStatus::kWritten);
  EXPECT_EQ(ReadText(target), std::string("\xEF\xBB\xBF") + kExpected);
  testfiles::WriteFile(ini, testfiles::Text("[CSV]\r\nENCODING=shift_jis\r\n"));
  EXPECT_EQ(CsvEncodingSetting(), CsvEncoding::kCp932);
}

TEST_F(CsvExporting, StoppedExportLeavesTheEarlierFileAndNoPart) {
  const fs::path target = CsvFilePath(entries_, out_);
  testfiles::WriteFile(target, testfiles::Text("earlier export"));
  int asked = 0;
  const CsvExportResult result =
      ExportCsv(entries_, target, CsvEncoding::kCp932, {nullptr, [&] { return ++asked > 2; }});
  EXPECT_EQ(result.status, CsvExportStatus::kStopped);
  EXPECT_EQ(asked, 3);
  EXPECT_EQ(ReadText(target), "earlier export");
  EXPECT_EQ(OutFiles(), std::vector<fs::path>{target.filename()});
}

TEST_F(CsvExporting, FullDiskLeavesNothingAndSaysWhy) {
  testfiles::FakeFileSystem fake;
  fake.output_budget = 100;
  platform::ScopedFileSystem scoped(fake);
  const fs::path target = CsvFilePath(entries_, out_);
  const CsvExportResult result = ExportCsv(entries_, target, CsvEncoding::kCp932);
  EXPECT_EQ(result.status, CsvExportStatus::kCannotWrite);
  EXPECT_NE(result.error.find(target.filename().string()), std::string::npos) << result.error;
  EXPECT_TRUE(OutFiles().empty());
}

TEST_F(CsvExporting, MissingFolderCannotBeCreated) {
  const CsvExportResult result = ExportCsv(entries_, CsvFilePath(entries_, dir_ / "gone"), CsvEncoding::kCp932);
  EXPECT_EQ(result.status, CsvExportStatus::kCannotWrite);
  EXPECT_FALSE(result.error.empty());
  EXPECT_FALSE(fs::exists(dir_ / "gone"));
}

TEST_F(CsvExporting, NoRecordingsWritesNothing) {
  EXPECT_EQ(ExportCsv({}, out_ / "x.csv", CsvEncoding::kCp932).status, CsvExportStatus::kNoRecordings);
  EXPECT_TRUE(CsvFilePath({}, out_).empty());
  EXPECT_TRUE(OutFiles().empty());
}

// The command's sequence as the worker runs it, with every dialog answered
// by the test and every call recorded in order.
class RecordingHost : public CsvJobHost {
 public:
  std::string folder;
  bool answer = true;
  std::size_t stop_after = SIZE_MAX;  // lines after which a stop is asked for
  std::vector<std::string> calls;

  std::string PickFolder() override {
    calls.push_back("pick");
    return folder;
  }
  bool Ask(int text) override {
    calls.push_back("ask " + std::to_string(text));
    return answer;
  }
  void ShowError(int text, const std::string& detail) override {
    calls.push_back("error " + std::to_string(text) + (detail.empty() ? "" : ": " + detail));
  }
  void ReleaseRecording() override { calls.push_back("release"); }
  void Progress(std::size_t done, std::size_t total) override {
    lines_ = done;
    calls.push_back(std::to_string(done) + "/" + std::to_string(total));
  }
  bool StopRequested() override { return lines_ >= stop_after; }
  void Completed(const std::string& where) override { calls.push_back("completed " + where); }

 private:
  std::size_t lines_ = 0;
};

using Calls = std::vector<std::string>;

TEST_F(CsvExporting, JobWithoutAFolderTouchesNothing) {
  RecordingHost host;
  EXPECT_EQ(RunCsvExportJob(host, entries_, CsvEncoding::kCp932), CsvJobOutcome::kCancelled);
  EXPECT_EQ(host.calls, Calls{"pick"});
  EXPECT_TRUE(OutFiles().empty());
}

TEST_F(CsvExporting, JobOnAnEmptyListSaysSoAndKeepsThePlayer) {
  RecordingHost host;
  host.folder = out_.string();
  EXPECT_EQ(RunCsvExportJob(host, {}, CsvEncoding::kCp932), CsvJobOutcome::kNoRecordings);
  EXPECT_EQ(host.calls, (Calls{"pick", "error 101"}));
  EXPECT_TRUE(OutFiles().empty());
}

TEST_F(CsvExporting, JobAsksBeforeReplacingAndKeepsTheFileOnCancel) {
  RecordingHost host;
  host.folder = out_.string();
  ASSERT_EQ(RunCsvExportJob(host, entries_, CsvEncoding::kCp932), CsvJobOutcome::kWritten);
  EXPECT_EQ(host.calls, (Calls{"pick", "release", "1/3", "2/3", "3/3", "completed " + out_.string()}));
  const fs::path target = out_ / "Dv_20220307_090501.csv";
  testfiles::WriteFile(target, testfiles::Text("earlier"));

  host.calls.clear();
  host.answer = false;
  EXPECT_EQ(RunCsvExportJob(host, entries_, CsvEncoding::kCp932), CsvJobOutcome::kCancelled);
  EXPECT_EQ(host.calls, (Calls{"pick", "ask 93"}));
  EXPECT_EQ(ReadText(target), "earlier");

  host.calls.clear();
  host.answer = true;
  EXPECT_EQ(RunCsvExportJob(host, entries_, CsvEncoding::kCp932), CsvJobOutcome::kWritten);
  EXPECT_EQ(host.calls.at(1), "ask 93");
  EXPECT_EQ(host.calls.back(), "completed " + out_.string());
  EXPECT_EQ(testfiles::Run("iconv -f CP932 -t UTF-8 '" + target.string() + "'"), kExpected);
}

TEST_F(CsvExporting, StoppedJobNeitherCompletesNorLeavesAFile) {
  RecordingHost host;
  host.folder = out_.string();
  host.stop_after = 2;
  EXPECT_EQ(RunCsvExportJob(host, entries_, CsvEncoding::kCp932), CsvJobOutcome::kStopped);
  EXPECT_EQ(host.calls, (Calls{"pick", "release", "1/3", "2/3"}));
  EXPECT_TRUE(OutFiles().empty());
}

TEST_F(CsvExporting, FailedJobSaysWhyAndNeverCompletes) {
  testfiles::FakeFileSystem fake;
  fake.output_budget = 100;
  platform::ScopedFileSystem scoped(fake);
  RecordingHost host;
  host.folder = out_.string();
  EXPECT_EQ(RunCsvExportJob(host, entries_, CsvEncoding::kCp932), CsvJobOutcome::kFailed);
  ASSERT_FALSE(host.calls.empty());
  EXPECT_EQ(host.calls.back().rfind("error 96: " + (out_ / "Dv_20220307_090501.csv").string(), 0), 0u)
      << host.calls.back();
  for (const std::string& call : host.calls) EXPECT_EQ(call.find("completed"), std::string::npos);
  EXPECT_TRUE(OutFiles().empty());
}

// The command-line tool on a generated card, run as a user runs it.
class ExportTool : public ::testing::Test {
 protected:
  std::string Export(const std::string& args, int* status) {
    return testfiles::Run("cd '" + dir_.path().string() + "' && XDG_CONFIG_HOME='" + (dir_ / "config").string() +
                              "' LC_ALL=C.UTF-8 '" BRENNOVALE_EXPORT "' " + args + " 2>&1",
                          status);
  }
  std::string Quoted(const fs::path& p) const { return "'" + p.string() + "'"; }

  testfiles::TempDir dir_;
  fs::path out_ = dir_ / "out";
};

TEST_F(ExportTool, WritesEveryRecordingOfACardAndReplacesOnlyWhenAsked) {
  const auto& card = testfiles::SharedCard();
  ASSERT_FALSE(card.empty());
  const fs::path root = card.front().main_path.parent_path().parent_path().parent_path();
  fs::create_directories(out_);
  int status = -1;
  std::string said = Export("csv " + Quoted(root) + " " + Quoted(out_), &status);
  ASSERT_EQ(status, 0) << said;
  const fs::path written = out_ / ("Dv_20" + card.front().base_name.substr(4, 6) + "_" +
                                   card.front().base_name.substr(11, 6) + ".csv");
  ASSERT_TRUE(fs::exists(written)) << said;
  const std::string decoded = testfiles::Run("iconv -f CP932 -t UTF-8 " + Quoted(written), &status);
  ASSERT_EQ(status, 0);
  std::vector<std::string> lines;
  for (std::size_t at = 0; at < decoded.size();) {
    const std::size_t end = decoded.find("\r\n", at);
    ASSERT_NE(end, std::string::npos) << "a line without CR LF";
    lines.push_back(decoded.substr(at, end - at));
    at = end + 2;
  }
  ASSERT_EQ(lines.size(), card.size() + 1);
  EXPECT_EQ(lines[0].substr(0, lines[0].find(',')), "ファイル名");
  for (std::size_t i = 0; i < card.size(); ++i) {
    const auto& r = card[i];
    const std::string length = "00:00:0" + std::to_string(r.main_frames / 30);
    EXPECT_EQ(lines[i + 1].substr(0, lines[i + 1].find(',')), r.main_path.filename().string());
    EXPECT_NE(lines[i + 1].find("," + length + ","), std::string::npos) << lines[i + 1];
    EXPECT_NE(lines[i + 1].find(",30fps,"), std::string::npos) << lines[i + 1];
  }

  // A second export does not replace the file unless asked to.
  testfiles::WriteFile(written, testfiles::Text("kept"));
  said = Export("csv " + Quoted(root) + " " + Quoted(out_), &status);
  EXPECT_EQ(status, 1) << said;
  EXPECT_NE(said.find("exists"), std::string::npos) << said;
  EXPECT_EQ(ReadText(written), "kept");
  // The settings beside it choose UTF-8.
  testfiles::WriteFile(dir_ / "Default_Folder.ini", testfiles::Text("[CSV]\nENCODING=utf-8\n"));
  said = Export("csv " + Quoted(root) + " " + Quoted(out_) + " --replace", &status);
  EXPECT_EQ(status, 0) << said;
  EXPECT_EQ(ReadText(written), "\xEF\xBB\xBF" + decoded);
  std::vector<fs::path> files;
  for (const auto& e : fs::directory_iterator(out_)) files.push_back(e.path().filename());
  EXPECT_EQ(files, std::vector<fs::path>{written.filename()});
}

TEST_F(ExportTool, OneRecordingAndClearRefusals) {
  const auto& card = testfiles::SharedCard();
  fs::create_directories(out_);
  int status = -1;
  std::string said = Export("csv " + Quoted(card.back().main_path) + " " + Quoted(out_), &status);
  ASSERT_EQ(status, 0) << said;
  const fs::path written = out_ / ("Dv_20" + card.back().base_name.substr(4, 6) + "_" +
                                   card.back().base_name.substr(11, 6) + ".csv");
  const std::string text = ReadText(written);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2) << text;

  said = Export("csv " + Quoted(dir_ / "nothing") + " " + Quoted(out_), &status);
  EXPECT_EQ(status, 1);
  EXPECT_NE(said.find("no such file or folder"), std::string::npos) << said;
  said = Export("csv " + Quoted(card.back().main_path) + " " + Quoted(dir_ / "no-folder"), &status);
  EXPECT_EQ(status, 1);
  EXPECT_NE(said.find("no such folder"), std::string::npos) << said;
  fs::create_directories(dir_ / "empty");
  said = Export("csv " + Quoted(dir_ / "empty") + " " + Quoted(out_), &status);
  EXPECT_EQ(status, 1);
  EXPECT_NE(said.find("no recordings"), std::string::npos) << said;
  Export("csv " + Quoted(out_), &status);
  EXPECT_EQ(status, 2);
}

}  // namespace
}  // namespace viewer
