#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace viewer {

// An INI file with the semantics of the Windows private-profile functions:
// section and key names compare without case, values are text, lines we do
// not understand (comments, unknown sections and keys, odd spacing) are kept
// as they are when a value is written.
class IniFile {
 public:
  static IniFile Parse(std::string_view text);
  std::string Serialize() const;

  // The value with surrounding blanks (and one pair of quotes) removed;
  // empty when the section or key is missing.
  std::optional<std::string> Get(std::string_view section, std::string_view key) const;
  // Replaces the key's line, or adds it after the section's last key, or
  // adds the section at the end.
  void Set(std::string_view section, std::string_view key, std::string_view value);

 private:
  struct Line {
    std::string text;
    std::string section;  // the section the line belongs to
    std::string key;      // empty unless the line is key=value
  };
  std::vector<Line> lines_;
};

}  // namespace viewer
