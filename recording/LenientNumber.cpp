#include "recording/LenientNumber.h"

#include <charconv>
#include <iterator>
#include <cstdint>

namespace recording {
namespace {

constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                             1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

}  // namespace

double LenientNumber(const char* field, std::size_t width) {
  const char* p = field;
  const char* const end = field + width;
  while (p < end && *p != '\0' && IsBlank(*p)) ++p;
  bool negative = false;
  if (p < end && (*p == '+' || *p == '-')) {
    negative = *p == '-';
    ++p;
  }
  const char* const number = p;
  std::uint64_t mantissa = 0;
  int digits = 0;
  int fraction_digits = 0;
  bool exact = true;
  while (p < end && IsDigit(*p)) {
    if (mantissa < (std::uint64_t{1} << 53) / 10) {
      mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
    } else {
      exact = false;
    }
    ++digits;
    ++p;
  }
  if (p < end && *p == '.') {
    ++p;
    while (p < end && IsDigit(*p)) {
      if (mantissa < (std::uint64_t{1} << 53) / 10) {
        mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
        ++fraction_digits;
      } else if (*p != '0') {
        exact = false;
      }
      ++digits;
      ++p;
    }
  }
  if (digits == 0) return 0.0;
  const char* mantissa_end = p;
  bool has_exponent = false;
  if (p < end && (*p == 'e' || *p == 'E')) {
    const char* q = p + 1;
    if (q < end && (*q == '+' || *q == '-')) ++q;
    if (q < end && IsDigit(*q)) {
      has_exponent = true;
      while (q < end && IsDigit(*q)) ++q;
      mantissa_end = q;
    }
  }
  double value;
  if (!has_exponent && exact && fraction_digits < static_cast<int>(std::size(kPow10))) {
    // Both operands are exact doubles, so the quotient is correctly rounded.
    value = static_cast<double>(mantissa) / kPow10[fraction_digits];
  } else {
    value = 0.0;
    std::from_chars(number, mantissa_end, value, std::chars_format::general);
  }
  return negative ? -value : value;
}

}  // namespace recording
