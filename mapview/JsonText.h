#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace mapview {

// JSON text for the page, safe to place inside a script as well: besides the
// quote and the backslash, control characters, "<" (no "</script>" can end a
// script element) and the two line separators JavaScript treats as line ends
// are written as \u escapes.
void AppendJsonString(std::string& out, std::string_view utf8);
std::string JsonString(std::string_view utf8);

// The shortest text that reads back as the same double, independent of the C
// locale; "null" for NaN and infinities, which JSON cannot hold.
void AppendJsonNumber(std::string& out, double value);
void AppendJsonNumber(std::string& out, std::int64_t value);

}  // namespace mapview
