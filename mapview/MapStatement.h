#pragma once

#include <optional>
#include <string_view>

#include "mapview/CrashPoint.h"

namespace mapview {

// One host-to-page statement as the native map window receives it, parsed
// strictly: only the page's six entry points, written exactly as the host
// writes them ("%d" and "%f" in the C locale, no spaces), are understood.
// Anything else is refused, so no text from a file or a page can make the
// window do more than these six things.
struct MapStatement {
  enum class Kind { kClearCrashPos, kRemoveLineList, kCreateLine, kCreateGridLine, kMoveMarker, kAddCrashPos };

  Kind kind = Kind::kMoveMarker;
  int grid = 0;        // kCreateGridLine's argument
  CrashPoint crash{};  // kAddCrashPos's arguments

  // nullopt for any text that is not one whole statement; numbers must be
  // finite and integers must fit an int.
  static std::optional<MapStatement> Parse(std::string_view text);
};

}  // namespace mapview
