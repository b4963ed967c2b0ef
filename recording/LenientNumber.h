#pragma once

#include <cstddef>

namespace recording {

// Converts a fixed-width ASCII decimal field the way the recorder's files are
// read: leading blanks skipped, an optional sign, digits with an optional
// decimal point and exponent; conversion stops at the first other character
// and a field without digits is 0. Never reads past width, never depends on
// the C locale, and accepts no "inf", "nan" or hexadecimal forms.
double LenientNumber(const char* field, std::size_t width);

}  // namespace recording
