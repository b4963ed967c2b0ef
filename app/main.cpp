// brennovale [PATH]: the viewer, on the source given or the one used last.
#include <QApplication>
#include <cstdio>

#include "app/CQuorbexApp.h"
#include "mapview/ui/MapScheme.h"

int main(int argc, char** argv) {
  // The map page's scheme counts only when registered before the application.
  mapview::RegisterMapScheme();
  QApplication qt(argc, argv);
  std::vector<std::string> args(argv, argv + argc);
  app::CQuorbexApp::Options options;
  std::string error;
  if (!app::CQuorbexApp::ParseArguments(args, &options, &error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 2;
  }
  app::CQuorbexApp app;
  if (!app.InitInstance(options, &error) && !error.empty()) std::fprintf(stderr, "brennovale: %s\n", error.c_str());
  return app.Run();
}
