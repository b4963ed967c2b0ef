#include "recording/CompanionPath.h"

#include <string>
#include <string_view>

namespace recording {
namespace {

constexpr std::size_t kFolderFromEnd = 34;
constexpr std::size_t kLetterFromEnd = 5;

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// One row per folder a companion can be derived from.
struct CompanionRule {
  std::string_view folder;
  char letter;
  std::string_view other_folder;
  char other_letter;
};
constexpr CompanionRule kRules[] = {{"Main", 'M', "Sub_", 'S'}, {"Sub_", 'S', "Main", 'M'}};

}  // namespace

std::filesystem::path CompanionPath(const std::filesystem::path& path, Companion which) {
  std::string s = path.string();
  const std::size_t n = s.size();
  if (n >= kFolderFromEnd) {
    const std::string_view folder(s.data() + n - kFolderFromEnd, 4);
    for (const CompanionRule& rule : kRules) {
      if (EqualsNoCase(folder, rule.folder)) {
        s.replace(n - kFolderFromEnd, 4, which == Companion::kData ? "Data" : rule.other_folder);
        break;
      }
    }
  }
  if (n >= kLetterFromEnd) {
    char& letter = s[n - kLetterFromEnd];
    for (const CompanionRule& rule : kRules) {
      if (letter == rule.letter) {
        letter = which == Companion::kData ? 'D' : rule.other_letter;
        break;
      }
    }
  }
  std::filesystem::path out(s);
  if (which == Companion::kData) out.replace_extension(".ADA");
  return out;
}

}  // namespace recording
