#include "maintenance/FormatScript.h"

namespace maintenance {
namespace {

constexpr std::string_view kSelect = "select volume ";
constexpr std::string_view kRest = "\r\nclean\r\ncreate partition primary\r\nformat fs=fat32\r\n";

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool IsPlainName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (char c : name) {
    // Printable ASCII only: the name must not bend the script's lines.
    if (c == '/' || c <= ' ' || c > '~') return false;
  }
  return true;
}

}  // namespace

std::string ScriptVolume(std::string_view volume_entry) {
  if (volume_entry.size() >= 2 && IsLetter(volume_entry[0]) && volume_entry[1] == ':') {
    return std::string(volume_entry.substr(0, 2));
  }
  return std::string(volume_entry);
}

std::string FormatScript(std::string_view volume_entry) {
  std::string script(kSelect);
  script += ScriptVolume(volume_entry);
  script += kRest;
  return script;
}

std::optional<std::string> ParseFormatScript(std::string_view script) {
  if (script.size() > kMaxScriptBytes) return std::nullopt;
  if (script.substr(0, kSelect.size()) != kSelect) return std::nullopt;
  if (script.size() < kSelect.size() + kRest.size()) return std::nullopt;
  if (script.substr(script.size() - kRest.size()) != kRest) return std::nullopt;
  const std::string_view volume = script.substr(kSelect.size(), script.size() - kSelect.size() - kRest.size());
  const std::string_view prefix = kByIdFolder;
  if (volume.substr(0, prefix.size()) != prefix) return std::nullopt;
  if (!IsPlainName(volume.substr(prefix.size()))) return std::nullopt;
  return std::string(volume);
}

}  // namespace maintenance
