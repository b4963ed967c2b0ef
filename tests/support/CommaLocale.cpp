#include "CommaLocale.h"

#include <clocale>
#include <cstring>

namespace testsupport {

CommaLocale::CommaLocale() {
  const char* previous = std::setlocale(LC_NUMERIC, nullptr);
  saved_ = previous ? previous : "C";
  for (const char* name : {"de_DE.UTF-8", "fr_FR.UTF-8", "de_DE", "ru_RU.UTF-8"}) {
    if (std::setlocale(LC_NUMERIC, name) != nullptr && std::strcmp(std::localeconv()->decimal_point, ",") == 0) {
      active_ = true;
      return;
    }
  }
  std::setlocale(LC_NUMERIC, saved_.c_str());
}

CommaLocale::~CommaLocale() { std::setlocale(LC_NUMERIC, saved_.c_str()); }

}  // namespace testsupport
