#include "mapview/MapScript.h"

#include <array>
#include <charconv>
#include <cmath>
#include <type_traits>

namespace mapview {

void MapScript::AppendFixed(std::string& out, double value) {
  // 1e308 in fixed notation is 309 digits before the point.
  std::array<char, 330> digits{};
  const auto result = std::to_chars(digits.data(), digits.data() + digits.size(), value, std::chars_format::fixed, 6);
  out.append(digits.data(), result.ptr);
}

void MapScript::AppendInt(std::string& out, int value) {
  std::array<char, 16> digits{};
  const auto result = std::to_chars(digits.data(), digits.data() + digits.size(), value);
  out.append(digits.data(), result.ptr);
}

std::string MapScript::CreateGridLine(int index) {
  std::string text = "orbitgrplist.CreateGridLine(";
  AppendInt(text, index);
  text += ')';
  return text;
}

std::optional<std::string> MapScript::AddCrashPos(const CrashPos& p) {
  for (double v : {p.levelx, p.levely, p.levelz, p.lat, p.lng, p.speed, p.direction}) {
    if (!std::isfinite(v)) return std::nullopt;
  }
  std::string text = "cplist.AddCrashPos(";
  const auto number = [&text](auto value, bool last = false) {
    if constexpr (std::is_same_v<decltype(value), int>) {
      AppendInt(text, value);
    } else {
      AppendFixed(text, value);
    }
    text += last ? ')' : ',';
  };
  number(p.icolor);
  number(p.levelx);
  number(p.levely);
  number(p.levelz);
  number(p.ifile);
  number(p.igrid);
  number(p.ipos);
  number(p.lat);
  number(p.lng);
  number(p.valid);
  number(p.speed);
  number(p.direction, true);
  return text;
}

}  // namespace mapview
