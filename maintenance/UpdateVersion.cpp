#include "maintenance/UpdateVersion.h"

#include <iconv.h>

#include <cerrno>
#include <string>

#include "viewer/settings/UiTextTable.h"

namespace maintenance {
namespace {

constexpr std::string_view kMarker = "VER:";
constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

// CP932 to UTF-8. Every character of CP932 lies in the Basic Multilingual
// Plane, so the count of code points is the count of UTF-16 units too.
std::string DecodeCp932(std::string_view bytes) {
  std::string out;
  iconv_t cd = iconv_open("UTF-8", "CP932");
  if (cd == reinterpret_cast<iconv_t>(-1)) return out;
  char* in = const_cast<char*>(bytes.data());
  std::size_t in_left = bytes.size();
  char buffer[256];
  while (in_left > 0) {
    char* o = buffer;
    std::size_t o_left = sizeof buffer;
    const std::size_t r = iconv(cd, &in, &in_left, &o, &o_left);
    out.append(buffer, sizeof buffer - o_left);
    if (r == static_cast<std::size_t>(-1)) {
      if (errno == E2BIG) continue;
      // An invalid byte, or a character cut at the end of what was read.
      out.append(kReplacement);
      ++in;
      --in_left;
    }
  }
  iconv_close(cd);
  return out;
}

std::size_t CodePoints(std::string_view utf8) {
  std::size_t n = 0;
  for (char c : utf8) {
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
  }
  return n;
}

std::string SingleBlock(std::string_view title, std::string_view installed, std::string_view latest,
                        std::string_view page) {
  std::string s;
  s.append(title).append(":\r\n");
  s.append(viewer::UiText(109)).append(installed).append("   →   ");
  s.append(viewer::UiText(111)).append(latest).append("\r\n\r\n");
  s.append("URL : <a href=\"").append(page).append("\">").append(page).append("</a>");
  return s;
}

}  // namespace

std::optional<std::string> ParseVersionFile(std::string_view bytes) {
  bytes = bytes.substr(0, kVersionFileLimit);
  bytes = bytes.substr(0, bytes.find('\0'));
  const std::string text = DecodeCp932(bytes);
  const std::size_t at = text.find(kMarker);
  if (at == std::string::npos) return std::nullopt;
  std::string version = text.substr(at + kMarker.size());
  if (CodePoints(version) > kVersionMaxChars) return std::nullopt;
  return version;
}

std::string CutBeforeThirdDot(std::string_view version) {
  std::size_t at = std::string_view::npos;
  std::size_t from = 0;
  for (int dots = 0; dots < 3; ++dots) {
    at = version.find('.', from);
    if (at == std::string_view::npos) return std::string(version);
    from = at + 1;
  }
  return std::string(version.substr(0, at));
}

UpdateFindings CompareVersions(std::string_view installed_firmware, std::string_view fetched_firmware,
                               std::string_view fetched_viewer) {
  UpdateFindings f;
  f.latest_firmware = CutBeforeThirdDot(fetched_firmware);
  if (!installed_firmware.empty()) {
    f.installed_firmware = CutBeforeThirdDot(installed_firmware);
    f.firmware_differs = f.installed_firmware != f.latest_firmware;
  }
  f.latest_viewer = std::string(fetched_viewer);
  f.viewer_differs = f.latest_viewer != kInstalledViewerVersion;
  return f;
}

std::string BuildUpdateMessage(const UpdateFindings& f, std::string_view firmware_page, std::string_view viewer_page) {
  if (!f.firmware_differs && !f.viewer_differs) return {};
  std::string s(viewer::UiText(107));
  s.append("\r\n\r\n");
  if (f.firmware_differs) {
    s.append(SingleBlock(viewer::UiText(110), f.installed_firmware, f.latest_firmware, firmware_page));
  }
  if (f.firmware_differs && f.viewer_differs) s.append("\r\n\r\n\r\n");
  if (f.viewer_differs) {
    s.append(SingleBlock(viewer::UiText(112), kInstalledViewerVersion, f.latest_viewer, viewer_page));
  }
  // Only the two-part form ends with a line break.
  if (f.firmware_differs && f.viewer_differs) s.append("\r\n");
  return s;
}

std::string FirmwareVersionAddress(std::string_view server) { return "http://" + std::string(server) + kFirmwareVersionPath; }
std::string FirmwarePageAddress(std::string_view server) { return "http://" + std::string(server) + kFirmwarePagePath; }
std::string ViewerVersionAddress(std::string_view server) { return "http://" + std::string(server) + kViewerVersionPath; }
std::string ViewerPageAddress(std::string_view server) { return "http://" + std::string(server) + kViewerPagePath; }

std::string RunUpdateCheck(const VersionFetch& fetch, std::string_view server, std::string_view installed_firmware) {
  const auto firmware = fetch(FirmwareVersionAddress(server));
  if (!firmware) return {};
  const auto viewer_version = fetch(ViewerVersionAddress(server));
  if (!viewer_version) return {};
  return BuildUpdateMessage(CompareVersions(installed_firmware, *firmware, *viewer_version), FirmwarePageAddress(server),
                            ViewerPageAddress(server));
}

}  // namespace maintenance
