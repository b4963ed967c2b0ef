// GoogleTest main for the tests that run the browser engine: the map's scheme
// must be registered before the application object exists, and the engine's
// profile data go to a directory of the test's own.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

#include "mapview/ui/MapScheme.h"

int main(int argc, char** argv) {
  QTemporaryDir home;
  qputenv("XDG_CACHE_HOME", home.filePath("cache").toUtf8());
  qputenv("XDG_DATA_HOME", home.filePath("data").toUtf8());
  if (!qEnvironmentVariableIsSet("QT_FONT_DPI")) qputenv("QT_FONT_DPI", "96");
  ::testing::InitGoogleTest(&argc, argv);
  // Listing the tests (at build time, without a display) needs no engine.
  if (::testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
  mapview::RegisterMapScheme();
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
