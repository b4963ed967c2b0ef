#include "maintenance/VersionInfo.h"

namespace maintenance {

std::string BuildYear(std::string_view build_date) {
  const std::size_t end = build_date.find_last_not_of(' ');
  if (end == std::string_view::npos) return {};
  const std::size_t blank = build_date.find_last_of(' ', end);
  const std::size_t start = blank == std::string_view::npos ? 0 : blank + 1;
  return std::string(build_date.substr(start, end + 1 - start));
}

std::string VersionInfoText(std::string_view build_date) {
  return std::string("version ") + kViewerVersionText + "\r\n\xC2\xA9 " + BuildYear(build_date) +
         " Brennovale developers";
}

}  // namespace maintenance
