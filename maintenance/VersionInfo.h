#pragma once

#include <string>
#include <string_view>

namespace maintenance {

// The viewer's version as the settings window shows it.
inline constexpr char kViewerVersionText[] = "1.0.2";

// The year of a build date in the compiler's form ("Apr 18 2022"): its last
// blank-separated word.
std::string BuildYear(std::string_view build_date);
// The settings window's two lines: "version 1.0.2" and the rights line with
// the build's year.
std::string VersionInfoText(std::string_view build_date);

}  // namespace maintenance
