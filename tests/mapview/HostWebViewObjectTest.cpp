#include "mapview/HostWebViewObject.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <ostream>

#include "CommaLocale.h"
#include "FakeMapSink.h"
#include "mapview/JsonText.h"

namespace mapview {
namespace {

TEST(GpsPointArray, SkipsInvalidFixesAndEndsWithTheElementCount) {
  const std::vector<recording::GpsSample> samples = {Fix(35.5, 139.25, 0), Fix(1, 2, 3, 0), Fix(-33.875, -70.125, 7)};
  EXPECT_EQ(HostWebViewObject::GpsPointArray(samples), "[35.5,139.25,0,-33.875,-70.125,7,6]");
}

TEST(GpsPointArray, EmptyOrAllInvalidIsTheSingleZero) {
  EXPECT_EQ(HostWebViewObject::GpsPointArray({}), "[0]");
  EXPECT_EQ(HostWebViewObject::GpsPointArray({Fix(35, 139, 0, 0)}), "[0]");
}

TEST(GpsPointArray, NonFiniteFixIsLeftOutNotWrittenAsBrokenJson) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(HostWebViewObject::GpsPointArray({Fix(nan, 139, 0), Fix(35, inf, 1), Fix(35, 139, 2)}), "[35,139,2,3]");
}

TEST(GpsPointArray, PositionsToATenMillionthOfADegreeIgnoringACommaLocale) {
  std::string text;
  {
    testsupport::CommaLocale comma;
    REQUIRE_COMMA_LOCALE(comma);
    text = HostWebViewObject::GpsPointArray({Fix(35.681236123456789, 139.767125987654321, 12)});
  }
  EXPECT_EQ(text, "[35.6812361,139.767126,12,3]");
}

TEST(GpsPointArray, RoundingCarriesSignsAndZerosLikeNumbers) {
  EXPECT_EQ(HostWebViewObject::GpsPointArray({Fix(-0.00000004, 0.99999999, 1), Fix(-33.0000001, -70.1, 2)}),
            "[0,1,1,-33.0000001,-70.1,2,6]");
  // Nothing a recorder writes, but still a number the page can read.
  EXPECT_EQ(HostWebViewObject::GpsPointArray({Fix(1e300, -1e300, 3)}), "[1e+300,-1e+300,3,3]");
}

TEST(PackedGpsPointArray, FirstFixWholeThenDifferencesInTenMillionths) {
  const std::vector<recording::GpsSample> samples{Fix(35.5, 139.25, 0), Fix(10, 10, 3, 0), Fix(-33.875, -70.125, 7)};
  EXPECT_EQ(HostWebViewObject::PackedGpsPointArray(samples),
            "{\"packed\":[2,355000000,1392500000,0,-693750000,-2093750000,7]}");
}

TEST(PackedGpsPointArray, NothingToDrawOrNoPositionFallsBackToTheArray) {
  EXPECT_EQ(HostWebViewObject::PackedGpsPointArray({}), "[0]");
  EXPECT_EQ(HostWebViewObject::PackedGpsPointArray({Fix(35, 139, 0, 0)}), "[0]");
  const std::vector<recording::GpsSample> far{Fix(35, 139, 0), Fix(1e12, 139, 1)};
  EXPECT_EQ(HostWebViewObject::PackedGpsPointArray(far), HostWebViewObject::GpsPointArray(far));
}

class HostCall : public ::testing::Test {
 protected:
  HostCall() { host_.set_sink(&sink_); }
  FakeMapSink sink_;
  HostWebViewObject host_;
};

TEST_F(HostCall, AnswersEachMethodWithItsJsonResult) {
  sink_.connected = 1;
  sink_.frame = 42;
  sink_.group = {Fix(1.5, 2.5, 0)};
  EXPECT_EQ(host_.Call("JS2C_ConnectTest", "[]"), "1");
  EXPECT_EQ(host_.Call("JS2C_GetMapURL", "[]"), "\"brennovale://map/gmaps.js?callback=loadLibs\"");
  EXPECT_EQ(host_.Call("JS2C_GetGPSData", "[]"), "[1.5,2.5,0,3]");
  EXPECT_EQ(host_.Call("JS2C_GetRelJpgNum", "[]"), "\"42\"");
  EXPECT_EQ(host_.Call("JS2C_GetGPSData", "[]", HostWebViewObject::TrackForm::kPacked),
            "{\"packed\":[1,15000000,25000000,0]}");
  EXPECT_EQ(host_.Call("JS2C_GetRelJpgNum", "[]", HostWebViewObject::TrackForm::kPacked), "\"42\"");
  EXPECT_EQ(host_.Call("JS2C_OnInitHtml", "[]"), "null");
  EXPECT_EQ(sink_.init_html, 1);
  EXPECT_EQ(host_.Call("JS2C_SetSend", "[]"), "null");
  EXPECT_EQ(sink_.set_sends, 1);
  EXPECT_EQ(host_.Call("TestMethod", "[\"abc\", 7]"), "\"TestMethod(abc, 7) called.\\u000a\"");
}

TEST_F(HostCall, RelJpgNumIsADecimalStringAlsoForNone) {
  sink_.frame = -1;
  EXPECT_EQ(host_.Call("JS2C_GetRelJpgNum", "[]"), "\"-1\"");
}

TEST_F(HostCall, GridDataIsNullWithoutASampleListAndIgnoresItsArgument) {
  EXPECT_EQ(host_.Call("JS2C_GetGridData", "[0]"), "null");
  sink_.grid = std::vector<recording::GpsSample>{};
  EXPECT_EQ(host_.Call("JS2C_GetGridData", "[\"anything\"]"), "[0]");
  sink_.grid = std::vector<recording::GpsSample>{Fix(-1, -2, 5)};
  EXPECT_EQ(host_.Call("JS2C_GetGridData", "[null]"), "[-1,-2,5,3]");
}

TEST_F(HostCall, CrashPointClickPassesEveryArgument) {
  EXPECT_EQ(host_.Call("JS2C_OnClickCrashPoint", "[1, 2, 345, 1, -33.5, -70.25, 42.5, 180]"), "null");
  ASSERT_EQ(sink_.clicks.size(), 1u);
  const auto& click = sink_.clicks[0];
  EXPECT_EQ(click.ifile, 1);
  EXPECT_EQ(click.igrid, 2);
  EXPECT_EQ(click.ipos, 345);
  EXPECT_EQ(click.valid, 1);
  EXPECT_EQ(click.lat, -33.5);
  EXPECT_EQ(click.lng, -70.25);
  EXPECT_EQ(click.speed, 42.5);
  EXPECT_EQ(click.direction, 180.0);
}

TEST_F(HostCall, FailedSendFailsTheCall) {
  sink_.send_result = false;
  EXPECT_EQ(host_.Call("JS2C_SetSend", "[]"), std::nullopt);
}

TEST(HostCallWithoutSink, SucceedsWithoutOutput) {
  HostWebViewObject host;
  for (const char* method : {"JS2C_ConnectTest", "JS2C_GetMapURL", "JS2C_GetGPSData", "JS2C_GetRelJpgNum",
                             "JS2C_OnInitHtml", "JS2C_SetSend"}) {
    EXPECT_EQ(host.Call(method, "[]"), "null") << method;
  }
  EXPECT_EQ(host.Call("JS2C_GetGridData", "[0]"), "null");
  EXPECT_EQ(host.Call("JS2C_OnClickCrashPoint", "[0,0,0,0,0,0,0,0]"), "null");
  EXPECT_EQ(host.Call("JS2C_Unknown", "[]"), std::nullopt);
}

struct BadCall {
  const char* name;
  const char* method;
  const char* args;
};

void PrintTo(const BadCall& row, std::ostream* out) { *out << row.name; }

class HostCallRefuses : public HostCall, public ::testing::WithParamInterface<BadCall> {};

TEST_P(HostCallRefuses, TheCallAndTouchesNothing) {
  EXPECT_EQ(host_.Call(GetParam().method, GetParam().args), std::nullopt);
  EXPECT_TRUE(sink_.clicks.empty());
  EXPECT_EQ(sink_.init_html, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, HostCallRefuses,
    ::testing::Values(
        BadCall{"unknown_method", "JS2C_GetMarkName", "[1]"}, BadCall{"empty_method", "", "[]"},
        BadCall{"callback_cannot_cross", "CallCallbackAsynchronously", "[null]"},
        BadCall{"extra_argument", "JS2C_OnInitHtml", "[1]"}, BadCall{"missing_grid_argument", "JS2C_GetGridData", "[]"},
        BadCall{"too_few_click_arguments", "JS2C_OnClickCrashPoint", "[1,2,3,1,35,139,0]"},
        BadCall{"fractional_int", "JS2C_OnClickCrashPoint", "[1,2,3.5,1,35,139,0,0]"},
        BadCall{"int_beyond_range", "JS2C_OnClickCrashPoint", "[1,2,2147483648,1,35,139,0,0]"},
        BadCall{"string_for_number", "JS2C_OnClickCrashPoint", "[1,2,\"3\",1,35,139,0,0]"},
        BadCall{"null_for_double", "JS2C_OnClickCrashPoint", "[1,2,3,1,null,139,0,0]"},
        BadCall{"double_overflow", "JS2C_OnClickCrashPoint", "[1,2,3,1,1e999,139,0,0]"},
        BadCall{"nan_word", "JS2C_OnClickCrashPoint", "[1,2,3,1,NaN,139,0,0]"},
        BadCall{"infinity_word", "JS2C_OnClickCrashPoint", "[1,2,3,1,Infinity,139,0,0]"},
        BadCall{"hex_number", "JS2C_OnClickCrashPoint", "[1,2,0x3,1,35,139,0,0]"},
        BadCall{"leading_zero", "JS2C_OnClickCrashPoint", "[1,2,03,1,35,139,0,0]"},
        BadCall{"plus_sign", "JS2C_OnClickCrashPoint", "[1,2,+3,1,35,139,0,0]"},
        BadCall{"nested_array", "JS2C_OnClickCrashPoint", "[[1],2,3,1,35,139,0,0]"},
        BadCall{"object_not_array", "JS2C_OnInitHtml", "{}"}, BadCall{"not_json", "JS2C_OnInitHtml", "nonsense"},
        BadCall{"trailing_text", "JS2C_OnInitHtml", "[] x"}, BadCall{"trailing_comma", "TestMethod", "[\"a\",1,]"},
        BadCall{"unterminated_string", "TestMethod", "[\"a,1]"},
        BadCall{"lone_surrogate", "TestMethod", "[\"\\ud800\",1]"}, BadCall{"bad_escape", "TestMethod", "[\"\\x41\",1]"},
        BadCall{"raw_control_character", "TestMethod", "[\"a\nb\",1]"}, BadCall{"empty_text", "JS2C_OnInitHtml", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(JsonString, KeepsScriptAndMarkupInert) {
  EXPECT_EQ(JsonString("a\"b\\c"), "\"a\\\"b\\\\c\"");
  EXPECT_EQ(JsonString("</script><b>"), "\"\\u003c/script\\u003e\\u003cb\\u003e\"");
  EXPECT_EQ(JsonString("x\ny\x01"), "\"x\\u000ay\\u0001\"");
  EXPECT_EQ(JsonString("\xE2\x80\xA8\xE2\x80\xA9"), "\"\\u2028\\u2029\"");
  EXPECT_EQ(JsonString("\xE6\x9D\xB1\xE4\xBA\xAC"), "\"\xE6\x9D\xB1\xE4\xBA\xAC\"");
}

TEST(JsonArgs, ReadsEscapesIntoUtf8) {
  const auto args = ParseJsonArgs(R"(["\u00e9\ud83d\ude00\/\"", -0.5e1, true, null])");
  ASSERT_TRUE(args);
  ASSERT_EQ(args->size(), 4u);
  EXPECT_EQ(std::get<std::string>((*args)[0]), "\xC3\xA9\xF0\x9F\x98\x80/\"");
  EXPECT_EQ(std::get<double>((*args)[1]), -5.0);
  EXPECT_EQ(std::get<bool>((*args)[2]), true);
}

}  // namespace
}  // namespace mapview
