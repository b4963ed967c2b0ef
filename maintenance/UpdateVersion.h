#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace maintenance {

// The version of this viewer that the server's viewer version file is
// compared with.
inline constexpr char kInstalledViewerVersion[] = "1.0.2";

// The four addresses on the update server, below "http://" + server.
inline constexpr char kFirmwareVersionPath[] = "/taiou/dr_updata/rmx-204kt/rmx-204kt_sw_version.txt";
inline constexpr char kFirmwarePagePath[] = "/taiou/dr_updata/rmx-204kt/rmx-204kt.html";
inline constexpr char kViewerVersionPath[] = "/0_recorder/viewer/Brennovale/Brennovale_version.txt";
inline constexpr char kViewerPagePath[] = "/0_recorder/viewer/Brennovale/viewer.html";

// Only this many bytes of a version file are ever read.
inline constexpr std::size_t kVersionFileLimit = 1024;
// A version longer than this (in characters, after decoding) is a failed fetch.
inline constexpr std::size_t kVersionMaxChars = 259;

// The version held by the first bytes of a version file (at most
// kVersionFileLimit of them are looked at): the bytes up to the first zero,
// decoded from CP932 into UTF-8 (an undecodable byte becomes U+FFFD), and
// everything after the first "VER:", nothing trimmed. nullopt without "VER:"
// or when the version is longer than kVersionMaxChars.
std::optional<std::string> ParseVersionFile(std::string_view bytes);

// The text up to (not including) its third "."; a text with fewer dots
// stays whole ("1.2.3.4" gives "1.2.3").
std::string CutBeforeThirdDot(std::string_view version);

// What the update check found; an empty string for a file that did not
// differ.
struct UpdateFindings {
  std::string installed_firmware;  // cut; empty: the firmware was not compared
  std::string latest_firmware;     // cut
  std::string latest_viewer;
  bool firmware_differs = false;
  bool viewer_differs = false;
};

// The comparison: the firmware only when an installed version is known
// (both cut before their third dot), the viewer with kInstalledViewerVersion;
// any inequality counts, an older version on the server too.
UpdateFindings CompareVersions(std::string_view installed_firmware, std::string_view fetched_firmware,
                               std::string_view fetched_viewer);

// The update dialog's message for the findings (UI texts 107, 109-112, the
// two download page addresses as anchors, "\r\n" as line breaks); empty when
// nothing differs.
std::string BuildUpdateMessage(const UpdateFindings& findings, std::string_view firmware_page,
                               std::string_view viewer_page);

// Fetches one address: the version text, or nullopt on any failure.
using VersionFetch = std::function<std::optional<std::string>(const std::string& address)>;

// The addresses on one server (host[:port]).
std::string FirmwareVersionAddress(std::string_view server);
std::string FirmwarePageAddress(std::string_view server);
std::string ViewerVersionAddress(std::string_view server);
std::string ViewerPageAddress(std::string_view server);

// The whole check: the firmware file first (its failure ends the check
// without fetching the viewer file), then the viewer file; the message to
// show, or empty for none.
std::string RunUpdateCheck(const VersionFetch& fetch, std::string_view server, std::string_view installed_firmware);

}  // namespace maintenance
