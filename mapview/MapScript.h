#pragma once

#include <optional>
#include <string>

#include "mapview/CrashPoint.h"

namespace mapview {

// The statements the viewer runs in the map page, each one statement in the
// page's global scope. The native window parses these very texts, so they
// are fixed byte for byte. Numbers are written as C's "%d" and "%f" would
// in the C locale, whatever the process locale is; nothing but numbers ever
// goes into a statement.
class MapScript {
 public:
  static std::string ClearCrashPos() { return "cplist.ClearCrashPos()"; }
  static std::string RemoveLineList() { return "orbitgrplist.RemoveLineList()"; }
  static std::string CreateLine() { return "orbitgrplist.CreateLine()"; }
  static std::string CreateGridLine(int index);
  static std::string MoveMarker() { return "orbitgrplist.MoveMarker()"; }

  // One event marker, in the page's argument order.
  using CrashPos = CrashPoint;
  // "cplist.AddCrashPos(%d,%f,%f,%f,%d,%d,%d,%f,%f,%d,%f,%f)"; nullopt when
  // a value is not finite ("nan" or "inf" would not be a number in the page).
  static std::optional<std::string> AddCrashPos(const CrashPos& pos);

  // What "%f" gives in the C locale: six decimals, a point, no grouping.
  // Not for non-finite values.
  static void AppendFixed(std::string& out, double value);
  static void AppendInt(std::string& out, int value);
};

}  // namespace mapview
