// GoogleTest main for the tests that run the browser engine: the map's scheme
// must be registered before the application object exists, and the engine's
// profile data go to a directory of the test's own.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

#include "mapview/ui/MapScheme.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define BRENNOVALE_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define BRENNOVALE_ASAN 1
#endif

#ifdef BRENNOVALE_ASAN
// The engine frees some of its own objects with another size than it made
// them with (inside libQt6WebEngineCore, at page teardown). That one check is
// off for this program; leak detection stays on, and what the engine keeps
// for the life of the process is suppressed by name (tests/lsan-webengine.supp).
extern "C" const char* __asan_default_options() { return "new_delete_type_mismatch=0"; }
#endif

int main(int argc, char** argv) {
  QTemporaryDir home;
  qputenv("XDG_CACHE_HOME", home.filePath("cache").toUtf8());
  qputenv("XDG_DATA_HOME", home.filePath("data").toUtf8());
  if (!qEnvironmentVariableIsSet("QT_FONT_DPI")) qputenv("QT_FONT_DPI", "96");
  // Off-screen: on an X display the accessibility bridge may wait for a
  // session bus that a virtual display does not have.
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  ::testing::InitGoogleTest(&argc, argv);
  // Listing the tests (at build time, without a display) needs no engine.
  if (::testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
  mapview::RegisterMapScheme();
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
