#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace mapview {

// Which map window the viewer creates: the browser engine's, or the native
// one that draws the tracks itself. Chosen once at start-up.
class MapEngineChoice {
 public:
  enum class Engine { kWeb, kNative };

  struct Facts {
    std::optional<std::string> map_variable;  // BRENNOVALE_MAP, when set
    bool helper_present = true;               // the engine's helper process exists and runs
    bool root = false;                        // effective user id 0
    bool sandbox_disabled = false;            // QTWEBENGINE_DISABLE_SANDBOX set, or --no-sandbox among the engine's flags
  };

  struct Result {
    Engine engine = Engine::kWeb;
    std::string reason;  // for the log: why this one
  };

  // "web" forces the engine and "native" the native window (either case);
  // otherwise the engine unless its helper is missing or it would run as
  // root with its sandbox on, which the engine refuses. The sandbox is never
  // turned off for it.
  static Result Choose(const Facts& facts);

  // The facts of this process. `helper` is where the engine's helper process
  // is installed; QTWEBENGINEPROCESS_PATH, which the engine honours, wins.
  static Facts FromEnvironment(const std::filesystem::path& helper);
};

}  // namespace mapview
