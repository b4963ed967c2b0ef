#include "recording/LenientNumber.h"

#include <gtest/gtest.h>

#include <ostream>

#include <cstdlib>
#include <string>

#include "CommaLocale.h"

namespace recording {
namespace {

struct NumberCase {
  const char* name;
  std::string field;
  double value;
  friend void PrintTo(const NumberCase& c, std::ostream* os) { *os << c.name; }
};

class LenientNumbers : public ::testing::TestWithParam<NumberCase> {};

TEST_P(LenientNumbers, ConvertLikeTheRecordersFiles) {
  const auto& c = GetParam();
  EXPECT_DOUBLE_EQ(LenientNumber(c.field.data(), c.field.size()), c.value) << '"' << c.field << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Fields, LenientNumbers,
    ::testing::Values(NumberCase{"plain", "0045", 45}, NumberCase{"decimals", "3540.5000", 3540.5},
                      NumberCase{"leading_blanks", "  12.5", 12.5}, NumberCase{"plus_sign", "+0012", 12},
                      NumberCase{"minus_sign", "-0850", -850}, NumberCase{"no_digits", "abcd", 0},
                      NumberCase{"blank_field", "     ", 0}, NumberCase{"empty", "", 0},
                      NumberCase{"stops_at_letter", "12a4", 12}, NumberCase{"exponent", "1e3", 1000},
                      NumberCase{"dangling_exponent", "7e", 7}, NumberCase{"leading_point", ".5", 0.5},
                      NumberCase{"trailing_point", "5.", 5}, NumberCase{"sign_only", "-", 0},
                      NumberCase{"no_infinity", "inf", 0}, NumberCase{"no_nan", "nan", 0},
                      NumberCase{"no_hex", "0x1A", 0}, NumberCase{"huge_exponent", "1e999", 0},
                      NumberCase{"long_mantissa", "12345678901234567890", 12345678901234567890.0},
                      NumberCase{"nul_ends_the_field", std::string("12\0" "34", 5), 12}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LenientNumber, NeverReadsPastItsWidth) {
  const char digits[] = "123456789";
  EXPECT_EQ(LenientNumber(digits, 3), 123);
  EXPECT_EQ(LenientNumber(digits + 5, 4), 6789);
}

TEST(LenientNumber, IgnoresTheCLocale) {
  // A locale with a decimal comma must not change how "12.5" reads.
  double by_the_c_library = 0.0;
  double lenient = 0.0;
  double with_exponent = 0.0;
  {
    testsupport::CommaLocale comma;
    REQUIRE_COMMA_LOCALE(comma);
    by_the_c_library = std::strtod("12.5", nullptr);
    lenient = LenientNumber("12.5", 4);
    with_exponent = LenientNumber("1.5e2", 5);
  }
  EXPECT_EQ(by_the_c_library, 12.0) << "the C library does read the comma locale";
  EXPECT_DOUBLE_EQ(lenient, 12.5);
  EXPECT_DOUBLE_EQ(with_exponent, 150.0);
}

}  // namespace
}  // namespace recording
