#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace viewer {
class CQuorbexDlg;
}

namespace app {

// The program: settles where the settings live, makes the main window, takes
// a source from the command line and runs the window until it ends. Needs a
// QApplication.
class CQuorbexApp {
 public:
  struct Options {
    std::filesystem::path startup_folder;  // empty: the current folder
    std::filesystem::path config_home;     // empty: $XDG_CONFIG_HOME
    std::filesystem::path source;          // brennovale PATH; empty for none
    std::filesystem::path screenshot;      // grab the window into it and quit
    int screenshot_delay_ms = 3000;
    int select_row = -1;  // the list's row to select once the source is listed; -1 for none
    int size_mode = 0;    // the window's size mode at start, 0-2
  };
  // Reads "brennovale [PATH] [--select ROW] [--size-mode N] [--screenshot PNG
  // [MS]]"; false
  // with a usage text in error when the arguments do not fit.
  static bool ParseArguments(const std::vector<std::string>& args, Options* options, std::string* error);

  CQuorbexApp();
  ~CQuorbexApp();

  // Start-up up to the first message loop, in order: the start-up folder
  // (it decides where the settings file lives), the UI language and fonts,
  // the main window's own start-up, the command-line source written to
  // "SOURCE" as the source dialog writes it, the window shown, the row to
  // select selected as a click would once the source is listed. A refused
  // command-line source is reported in error and the program starts
  // without it.
  bool InitInstance(const Options& options, std::string* error);
  // Runs the window until it ends; the exit status.
  int Run();

  viewer::CQuorbexDlg* window() const { return window_.get(); }

 private:
  std::unique_ptr<viewer::CQuorbexDlg> window_;
  Options options_;
};

}  // namespace app
