#include "mapview/MapStatement.h"

#include <charconv>
#include <cmath>
#include <string_view>

namespace mapview {
namespace {

// Reads one number at the front of `rest` and the separator after it.
class ArgumentReader {
 public:
  explicit ArgumentReader(std::string_view rest) : rest_(rest) {}

  bool Int(int& out, char separator) {
    const char* end = rest_.data() + rest_.size();
    const auto [ptr, ec] = std::from_chars(rest_.data(), end, out);
    return ec == std::errc() && Separator(ptr, separator);
  }

  // "%f" gives fixed notation: digits, a point, digits; no exponent, no
  // "inf" or "nan".
  bool Fixed(double& out, char separator) {
    const char* end = rest_.data() + rest_.size();
    const auto [ptr, ec] = std::from_chars(rest_.data(), end, out, std::chars_format::fixed);
    return ec == std::errc() && std::isfinite(out) && Separator(ptr, separator);
  }

  bool AtEnd() const { return rest_.empty(); }

 private:
  bool Separator(const char* ptr, char separator) {
    const std::size_t used = static_cast<std::size_t>(ptr - rest_.data());
    if (used == 0 || used >= rest_.size() || rest_[used] != separator) return false;
    rest_.remove_prefix(used + 1);
    return true;
  }

  std::string_view rest_;
};

struct Plain {
  std::string_view text;
  MapStatement::Kind kind;
};

constexpr Plain kPlain[] = {
    {"cplist.ClearCrashPos()", MapStatement::Kind::kClearCrashPos},
    {"orbitgrplist.RemoveLineList()", MapStatement::Kind::kRemoveLineList},
    {"orbitgrplist.CreateLine()", MapStatement::Kind::kCreateLine},
    {"orbitgrplist.MoveMarker()", MapStatement::Kind::kMoveMarker},
};

constexpr std::string_view kGridCall = "orbitgrplist.CreateGridLine(";
constexpr std::string_view kCrashCall = "cplist.AddCrashPos(";

}  // namespace

std::optional<MapStatement> MapStatement::Parse(std::string_view text) {
  MapStatement statement;
  for (const Plain& plain : kPlain) {
    if (text == plain.text) {
      statement.kind = plain.kind;
      return statement;
    }
  }
  if (text.starts_with(kGridCall)) {
    ArgumentReader args(text.substr(kGridCall.size()));
    statement.kind = Kind::kCreateGridLine;
    if (args.Int(statement.grid, ')') && args.AtEnd()) return statement;
    return std::nullopt;
  }
  if (text.starts_with(kCrashCall)) {
    ArgumentReader args(text.substr(kCrashCall.size()));
    CrashPoint& c = statement.crash;
    statement.kind = Kind::kAddCrashPos;
    const bool ok = args.Int(c.icolor, ',') && args.Fixed(c.levelx, ',') && args.Fixed(c.levely, ',') &&
                    args.Fixed(c.levelz, ',') && args.Int(c.ifile, ',') && args.Int(c.igrid, ',') &&
                    args.Int(c.ipos, ',') && args.Fixed(c.lat, ',') && args.Fixed(c.lng, ',') &&
                    args.Int(c.valid, ',') && args.Fixed(c.speed, ',') && args.Fixed(c.direction, ')') &&
                    args.AtEnd();
    if (ok) return statement;
  }
  return std::nullopt;
}

}  // namespace mapview
