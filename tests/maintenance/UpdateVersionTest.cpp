#include "maintenance/UpdateVersion.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "maintenance/CInetConnectionAsync.h"

namespace maintenance {
namespace {

constexpr char kServer[] = "updates.example:8080";
constexpr char kHeader[] =
    "新しいバージョンのソフトを利用できます。\r\nダウンロードする場合は下記URLをクリックしてください。";

const std::string kFirmwarePage = "http://updates.example:8080/taiou/dr_updata/rmx-204kt/rmx-204kt.html";
const std::string kViewerPage = "http://updates.example:8080/0_recorder/viewer/Brennovale/viewer.html";

std::string FirmwareBlock(const std::string& installed, const std::string& latest) {
  return "ドライブレコーダー本体:\r\n現在のバージョン：" + installed + "   →   更新バージョン：" + latest +
         "\r\n\r\nURL : <a href=\"" + kFirmwarePage + "\">" + kFirmwarePage + "</a>";
}
std::string ViewerBlock(const std::string& latest) {
  return "ビューワーソフト:\r\n現在のバージョン：1.0.2   →   更新バージョン：" + latest + "\r\n\r\nURL : <a href=\"" +
         kViewerPage + "\">" + kViewerPage + "</a>";
}

// The server's two files as raw bytes; nullopt: the fetch fails.
struct CheckRow {
  const char* name;
  std::string installed_firmware;
  std::optional<std::string> firmware_file;
  std::optional<std::string> viewer_file;
  std::string expected;  // the whole message; empty: no dialog
  int expected_fetches;
};

class UpdateCheckRows : public ::testing::TestWithParam<CheckRow> {};

TEST_P(UpdateCheckRows, MessageIsExactlyThePartsForm) {
  const CheckRow& row = GetParam();
  std::vector<std::string> fetched;
  const VersionFetch fetch = [&](const std::string& address) -> std::optional<std::string> {
    fetched.push_back(address);
    const auto& file = address == FirmwareVersionAddress(kServer) ? row.firmware_file : row.viewer_file;
    if (!file) return std::nullopt;
    return ParseVersionFile(*file);
  };
  EXPECT_EQ(RunUpdateCheck(fetch, kServer, row.installed_firmware), row.expected);
  ASSERT_EQ(static_cast<int>(fetched.size()), row.expected_fetches);
  EXPECT_EQ(fetched[0], "http://updates.example:8080/taiou/dr_updata/rmx-204kt/rmx-204kt_sw_version.txt");
  if (fetched.size() > 1) {
    EXPECT_EQ(fetched[1], "http://updates.example:8080/0_recorder/viewer/Brennovale/Brennovale_version.txt");
  }
}

const std::string k259(259, '9');

INSTANTIATE_TEST_SUITE_P(
    Versions, UpdateCheckRows,
    ::testing::Values(
        CheckRow{"NothingDiffers", "1.2.3", "VER:1.2.3", "VER:1.0.2", "", 2},
        CheckRow{"OlderViewerCounts", "1.2.3", "VER:1.2.3", "VER:1.0.1",
                 std::string(kHeader) + "\r\n\r\n" + ViewerBlock("1.0.1"), 2},
        CheckRow{"LineBreakIsPartOfTheVersion", "1.2.3", "VER:1.2.3", "VER:1.0.2\n",
                 std::string(kHeader) + "\r\n\r\n" + ViewerBlock("1.0.2\n"), 2},
        CheckRow{"TextBeforeTheMarkerIgnored", "1.2.3", "version file\r\nVER:1.2.3", "junk VER:1.0.2", "", 2},
        CheckRow{"NoMarkerInFirmwareFileEndsTheCheck", "1.2.3", "1.2.4", "VER:1.0.3", "", 1},
        CheckRow{"ZeroByteBeforeTheMarker", "1.2.3", std::string("abc\0VER:1.2.4", 13), "VER:1.0.3", "", 1},
        CheckRow{"MarkerPastByte1024", "1.2.3", std::string(1021, 'x') + "VER:1.2.4", "VER:1.0.3", "", 1},
        CheckRow{"MarkerEndingAtByte1024", "1.2.3", std::string(1020, 'x') + "VER:", "VER:1.0.2",
                 std::string(kHeader) + "\r\n\r\n" + FirmwareBlock("1.2.3", ""), 2},
        CheckRow{"VersionOf260CharactersFails", "", "VER:1.2.3", "VER:" + std::string(260, '9'), "", 2},
        CheckRow{"VersionOf259CharactersIsTaken", "", "VER:1.2.3", "VER:" + k259,
                 std::string(kHeader) + "\r\n\r\n" + ViewerBlock(k259), 2},
        CheckRow{"CharacterCountAfterDecoding", "", "VER:1.2.3", "VER:" + [] {
                   std::string s;
                   for (int i = 0; i < 259; ++i) s += "\x83\x6F";  // バ: two bytes, one character
                   return s;
                 }(),
                 std::string(kHeader) + "\r\n\r\n" + ViewerBlock([] {
                   std::string s;
                   for (int i = 0; i < 259; ++i) s += "バ";
                   return s;
                 }()),
                 2},
        CheckRow{"Cp932IsDecoded", "1.2.3", "VER:1.2.3", "VER:\x83\x6F\x81\x5B\x83\x57\x83\x87\x83\x93",
                 std::string(kHeader) + "\r\n\r\n" + ViewerBlock("バージョン"), 2},
        CheckRow{"InstalledFourPartsCutBeforeThirdDot", "1.2.3.4", "VER:1.2.3", "VER:1.0.2", "", 2},
        CheckRow{"ServerFourPartsCutBeforeThirdDot", "1.2.3", "VER:1.2.3.9", "VER:1.0.2", "", 2},
        CheckRow{"FirmwareDiffersShowsCutVersions", "1.2.3.4", "VER:1.2.4.5", "VER:1.0.2",
                 std::string(kHeader) + "\r\n\r\n" + FirmwareBlock("1.2.3", "1.2.4"), 2},
        CheckRow{"EmptyInstalledFirmwareSkipsFirmware", "", "VER:9.9.9", "VER:1.0.2", "", 2},
        CheckRow{"EmptyInstalledFirmwareStillComparesViewer", "", "VER:9.9.9", "VER:1.0.3",
                 std::string(kHeader) + "\r\n\r\n" + ViewerBlock("1.0.3"), 2},
        CheckRow{"BothDiffer", "1.2.3", "VER:1.2.4", "VER:2.0.0",
                 std::string(kHeader) + "\r\n\r\n" + FirmwareBlock("1.2.3", "1.2.4") + "\r\n\r\n\r\n" +
                     ViewerBlock("2.0.0") + "\r\n",
                 2},
        CheckRow{"FirmwareFetchFailsNoViewerFetch", "1.2.3", std::nullopt, "VER:1.0.3", "", 1},
        CheckRow{"ViewerFetchFails", "1.2.3", "VER:1.2.4", std::nullopt, "", 2},
        CheckRow{"MarkupInVersionKeptAsText", "", "VER:1", "VER:<b>\"1\"</b>",
                 std::string(kHeader) + "\r\n\r\n" + ViewerBlock("<b>\"1\"</b>"), 2}),
    [](const auto& info) { return std::string(info.param.name); });

struct CutRow {
  const char* name;
  const char* in;
  const char* out;
};
class CutRows : public ::testing::TestWithParam<CutRow> {};
TEST_P(CutRows, CutsBeforeTheThirdDot) { EXPECT_EQ(CutBeforeThirdDot(GetParam().in), GetParam().out); }
INSTANTIATE_TEST_SUITE_P(Versions, CutRows,
                         ::testing::Values(CutRow{"FourParts", "1.2.3.4", "1.2.3"}, CutRow{"ThreeParts", "1.2.3", "1.2.3"},
                                           CutRow{"FiveParts", "1.2.3.4.5", "1.2.3"},
                                           CutRow{"EmptyParts", "1..2.3", "1..2"}, CutRow{"OnlyDots", "....", ".."},
                                           CutRow{"Empty", "", ""}),
                         [](const auto& info) { return std::string(info.param.name); });

struct TileRow {
  const char* name;
  const char* tile;
  const char* probe;
};
class TileRows : public ::testing::TestWithParam<TileRow> {};
TEST_P(TileRows, ProbesTheTileServer) { EXPECT_EQ(TileProbeAddress(GetParam().tile), GetParam().probe); }
INSTANTIATE_TEST_SUITE_P(
    Addresses, TileRows,
    ::testing::Values(
        TileRow{"Default", "https://tile.openstreetmap.org/{z}/{x}/{y}.png", "https://tile.openstreetmap.org/"},
        TileRow{"SubdomainTemplate", "https://{s}.tile.example.org/{z}/{x}/{y}.png", "https://a.tile.example.org/"},
        TileRow{"PortKept", "http://127.0.0.1:8080/{z}/{x}/{y}.png", "http://127.0.0.1:8080/"},
        TileRow{"QueryAfterHost", "https://tiles.example?z={z}", "https://tiles.example/"},
        TileRow{"EmptyMeansNoTiles", "", ""}, TileRow{"FileScheme", "file:///tiles/{z}/{x}/{y}.png", ""},
        TileRow{"OtherScheme", "ftp://tiles.example/{z}", ""},
        TileRow{"TemplateInHost", "https://{z}.tiles.example/", ""},
        TileRow{"CredentialsInHost", "https://user@tiles.example/", ""}, TileRow{"NoHost", "https:///x", ""}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace maintenance
