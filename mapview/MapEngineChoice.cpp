#include "mapview/MapEngineChoice.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace mapview {
namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

bool NonEmptyVariable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

}  // namespace

MapEngineChoice::Result MapEngineChoice::Choose(const Facts& facts) {
  const std::string forced = facts.map_variable ? Lower(*facts.map_variable) : std::string();
  if (forced == "web") return {Engine::kWeb, "BRENNOVALE_MAP=web"};
  if (forced == "native") return {Engine::kNative, "BRENNOVALE_MAP=native"};
  if (!facts.helper_present) return {Engine::kNative, "the browser engine's helper process is missing"};
  if (facts.root && !facts.sandbox_disabled) {
    return {Engine::kNative, "running as root, where the browser engine's sandbox cannot start"};
  }
  return {Engine::kWeb, "the browser engine is available"};
}

MapEngineChoice::Facts MapEngineChoice::FromEnvironment(const std::filesystem::path& helper) {
  Facts facts;
  if (const char* map = std::getenv("BRENNOVALE_MAP")) facts.map_variable = map;
  const char* override_path = std::getenv("QTWEBENGINEPROCESS_PATH");
  const std::filesystem::path path = override_path != nullptr && *override_path != '\0' ? override_path : helper;
  std::error_code error;
  facts.helper_present = !path.empty() && std::filesystem::is_regular_file(path, error) &&
                         ::access(path.c_str(), X_OK) == 0;
  facts.root = ::geteuid() == 0;
  const char* flags = std::getenv("QTWEBENGINE_CHROMIUM_FLAGS");
  facts.sandbox_disabled = NonEmptyVariable("QTWEBENGINE_DISABLE_SANDBOX") ||
                           (flags != nullptr && std::string(flags).find("--no-sandbox") != std::string::npos);
  return facts;
}

}  // namespace mapview
