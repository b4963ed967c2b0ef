#include "viewer/settings/IniFile.h"

#include <algorithm>

namespace viewer {
namespace {

std::string_view Trim(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
           return lower(x) == lower(y);
         });
}

}  // namespace

IniFile IniFile::Parse(std::string_view text) {
  IniFile ini;
  std::string section;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view raw = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
    Line line{std::string(raw), section, ""};
    const std::string_view t = Trim(raw);
    if (!t.empty() && t.front() == '[') {
      const std::size_t close = t.find(']');
      section = std::string(Trim(t.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1)));
      line.section = section;
    } else if (!t.empty() && t.front() != ';') {
      const std::size_t eq = t.find('=');
      if (eq != std::string_view::npos) line.key = std::string(Trim(t.substr(0, eq)));
    }
    ini.lines_.push_back(std::move(line));
  }
  return ini;
}

std::string IniFile::Serialize() const {
  std::string out;
  for (const Line& line : lines_) {
    out += line.text;
    out += "\r\n";
  }
  return out;
}

std::optional<std::string> IniFile::Get(std::string_view section, std::string_view key) const {
  for (const Line& line : lines_) {
    if (line.key.empty() || !EqualNoCase(line.section, section) || !EqualNoCase(line.key, key)) continue;
    std::string_view value = Trim(std::string_view(line.text).substr(line.text.find('=') + 1));
    if (value.size() >= 2 && ((value.front() == '"' && value.back() == '"') || (value.front() == '\'' && value.back() == '\''))) {
      value = value.substr(1, value.size() - 2);
    }
    return std::string(value);
  }
  return std::nullopt;
}

void IniFile::Set(std::string_view section, std::string_view key, std::string_view value) {
  const std::string text = std::string(key) + "=" + std::string(value);
  std::optional<std::size_t> header, last_in_section;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    Line& line = lines_[i];
    if (!EqualNoCase(line.section, section)) continue;
    if (!line.key.empty() && EqualNoCase(line.key, key)) {
      line.text = text;
      return;
    }
    if (line.key.empty() && !header && Trim(line.text).starts_with("[")) header = i;
    if (!line.key.empty()) last_in_section = i;
  }
  if (!header) {
    lines_.push_back({"[" + std::string(section) + "]", std::string(section), ""});
    lines_.push_back({text, std::string(section), std::string(key)});
    return;
  }
  const std::size_t at = (last_in_section ? *last_in_section : *header) + 1;
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), Line{text, lines_[*header].section, std::string(key)});
}

}  // namespace viewer
