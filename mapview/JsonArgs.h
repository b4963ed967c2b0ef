#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace mapview {

// One argument of a host call as the page sent it.
using JsonArg = std::variant<std::nullptr_t, bool, double, std::string>;

// Reads a flat JSON array of numbers, strings, booleans and nulls, the
// arguments of one host call. Anything else (nesting, objects, trailing text,
// bad escapes, numbers out of the double range) is refused as a whole.
std::optional<std::vector<JsonArg>> ParseJsonArgs(std::string_view text);

}  // namespace mapview
