#include "mapview/HostWebViewObject.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

#include "mapview/GpsPoint.h"
#include "mapview/JsonText.h"

namespace mapview {

namespace {

// An int parameter: an integral number within the int range. The page's
// numbers are doubles; 3.5 or 1e10 in an int slot is a faulty call.
std::optional<int> IntArg(const JsonArg& arg) {
  const double* value = std::get_if<double>(&arg);
  if (value == nullptr || std::trunc(*value) != *value || *value < std::numeric_limits<int>::min() ||
      *value > std::numeric_limits<int>::max()) {
    return std::nullopt;
  }
  return static_cast<int>(*value);
}

// ParseJsonArgs already refuses numbers that are not finite.
std::optional<double> DoubleArg(const JsonArg& arg) {
  const double* value = std::get_if<double>(&arg);
  if (value == nullptr) return std::nullopt;
  return *value;
}

std::string IntText(std::int64_t value) {
  std::string out;
  AppendJsonNumber(out, value);
  return out;
}

constexpr char kNull[] = "null";

// A position in degrees to a ten-millionth (about a centimetre, finer than the
// recorder's thousandths of a minute), without trailing zeros: the track's
// answer is a third shorter than with every double's shortest text, and the
// page takes it in correspondingly faster. Written from whole numbers, which
// is quicker than formatting the double; a value beyond any position keeps
// its shortest text.
void AppendDegrees(std::string& out, double degrees) {
  constexpr std::int64_t kUnit = 10'000'000;
  const double scaled = std::round(degrees * static_cast<double>(kUnit));
  if (!(std::fabs(scaled) < 9e18)) {
    AppendJsonNumber(out, degrees);
    return;
  }
  std::int64_t value = static_cast<std::int64_t>(scaled);
  if (value < 0) {
    out += '-';
    value = -value;
  }
  AppendJsonNumber(out, value / kUnit);
  std::int64_t fraction = value % kUnit;
  if (fraction == 0) return;
  char digits[8] = {'.', '0', '0', '0', '0', '0', '0', '0'};
  int length = 8;
  while (fraction % 10 == 0) {
    fraction /= 10;
    --length;
  }
  for (int at = length - 1; fraction != 0; --at) {
    digits[at] = static_cast<char>('0' + fraction % 10);
    fraction /= 10;
  }
  out.append(digits, static_cast<std::size_t>(length));
}

}  // namespace

std::string HostWebViewObject::GpsPointArray(const std::vector<recording::GpsSample>& samples) {
  std::string out = "[";
  // About 42 characters a fix: two shortest doubles and a frame number.
  out.reserve(samples.size() * 48 + 16);
  std::int64_t written = 0;
  for (const recording::GpsSample& sample : samples) {
    if (!DrawableFix(sample)) continue;
    AppendDegrees(out, sample.latitude);
    out += ',';
    AppendDegrees(out, sample.longitude);
    out += ',';
    AppendJsonNumber(out, static_cast<std::int64_t>(sample.time));
    out += ',';
    written += 3;
  }
  AppendJsonNumber(out, written);
  out += ']';
  return out;
}

std::optional<std::string> HostWebViewObject::Call(std::string_view method, std::string_view json_args) {
  const auto args = ParseJsonArgs(json_args);
  if (!args) return std::nullopt;
  return Dispatch(method, *args);
}

std::optional<std::string> HostWebViewObject::Dispatch(std::string_view method, const std::vector<JsonArg>& args) {
  if (method == "TestMethod") {
    if (args.size() != 2 || !std::holds_alternative<std::string>(args[0])) return std::nullopt;
    const auto number = IntArg(args[1]);
    if (!number) return std::nullopt;
    return JsonString("TestMethod(" + std::get<std::string>(args[0]) + ", " + IntText(*number) + ") called.\n");
  }
  if (method == "JS2C_OnClickCrashPoint") {
    if (args.size() != 8) return std::nullopt;
    int ints[4];
    double doubles[4];
    for (int i = 0; i < 4; ++i) {
      const auto value = IntArg(args[i]);
      const auto real = DoubleArg(args[i + 4]);
      if (!value || !real) return std::nullopt;
      ints[i] = *value;
      doubles[i] = *real;
    }
    if (sink_ != nullptr) {
      sink_->OnClickCrashPoint(ints[0], ints[1], ints[2], ints[3], doubles[0], doubles[1], doubles[2], doubles[3]);
    }
    return kNull;
  }
  // JS2C_GetGridData's one argument is ignored, whatever it holds.
  if (method == "JS2C_GetGridData") {
    if (args.size() != 1) return std::nullopt;
    if (sink_ == nullptr) return kNull;
    const auto samples = sink_->GetGridData();
    return samples ? GpsPointArray(*samples) : kNull;
  }
  if (!args.empty()) {
    return std::nullopt;
  }
  if (method == "JS2C_ConnectTest") return sink_ ? IntText(sink_->ConnectTest()) : kNull;
  if (method == "JS2C_GetMapURL") return sink_ ? JsonString(sink_->GetMapURL()) : kNull;
  if (method == "JS2C_GetGPSData") return sink_ ? GpsPointArray(sink_->GetGPSData()) : kNull;
  if (method == "JS2C_GetRelJpgNum") return sink_ ? JsonString(IntText(sink_->GetRelJpgNum())) : kNull;
  if (method == "JS2C_OnInitHtml") {
    if (sink_ != nullptr) sink_->OnInitHtml();
    return kNull;
  }
  if (method == "JS2C_SetSend") {
    if (sink_ != nullptr && !sink_->SetSend()) return std::nullopt;
    return kNull;
  }
  return std::nullopt;
}

}  // namespace mapview
