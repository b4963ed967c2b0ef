#pragma once

#include <cstdlib>
#include <string>

namespace testsupport {

// Switches LC_NUMERIC to an installed locale with a decimal comma for the
// scope and back after it. active() is false when no such locale exists;
// ./dev test installs one and sets BRENNOVALE_REQUIRE_COMMA_LOCALE, so that
// RequireOrSkip() fails there instead of skipping.
class CommaLocale {
 public:
  CommaLocale();
  ~CommaLocale();
  CommaLocale(const CommaLocale&) = delete;
  CommaLocale& operator=(const CommaLocale&) = delete;

  bool active() const { return active_; }

 private:
  std::string saved_;
  bool active_ = false;
};

}  // namespace testsupport

// Inside a TEST body: leaves the test (skipped, or failed under ./dev test)
// when the locale could not be switched.
#define REQUIRE_COMMA_LOCALE(guard)                                                      \
  do {                                                                                   \
    if (!(guard).active()) {                                                             \
      if (std::getenv("BRENNOVALE_REQUIRE_COMMA_LOCALE") != nullptr) {                   \
        FAIL() << "no decimal-comma locale installed";                                   \
      }                                                                                  \
      GTEST_SKIP() << "no decimal-comma locale installed";                               \
    }                                                                                    \
  } while (false)
