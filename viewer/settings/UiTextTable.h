#pragma once

#include <string_view>

namespace viewer {

inline constexpr int kUiLanguages = 2;
inline constexpr int kUiTextsPerLanguage = 260;

// Every user-visible text, by number, in the current language column.
// Numbers without a text (156 to 259, or out of range) give an empty text.
std::string_view UiText(int number);

// The process-wide language number: 0 at start; 1 when the user's language
// is English (United States).
void SetUiLanguage(int language);
int UiLanguage();
int UiLanguageForLocale(std::string_view locale);

}  // namespace viewer
