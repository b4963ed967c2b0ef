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

constexpr std::int64_t kUnit = 10'000'000;

// A position in whole ten-millionths of a degree (about a centimetre, finer
// than the recorder's ten-thousandths of a minute); nullopt beyond `limit`
// degrees.
std::optional<std::int64_t> TenMillionths(double degrees, double limit) {
  const double scaled = std::round(degrees * static_cast<double>(kUnit));
  if (!(std::fabs(scaled) <= limit * static_cast<double>(kUnit))) return std::nullopt;
  return static_cast<std::int64_t>(scaled);
}

// A position to a ten-millionth of a degree without trailing zeros: the
// track's answer is a third shorter than with every double's shortest text.
// Written from whole numbers, which is quicker than formatting the double; a
// value beyond any position keeps its shortest text.
void AppendDegrees(std::string& out, double degrees) {
  const auto units = TenMillionths(degrees, 9e11);
  if (!units) {
    AppendJsonNumber(out, degrees);
    return;
  }
  std::int64_t value = *units;
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
  // About 30 characters a fix: two positions and a frame number.
  out.reserve(samples.size() * 32 + 16);
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

std::string HostWebViewObject::PackedGpsPointArray(const std::vector<recording::GpsSample>& samples) {
  // Sums of differences stay exact in the page's doubles far beyond 1000
  // degrees; anything farther is no position and goes as the plain array.
  constexpr double kLimit = 1000.0;
  std::string out = "{\"packed\":[";
  out.reserve(samples.size() * 12 + 32);
  const std::size_t count_at = out.size();
  std::int64_t fixes = 0;
  std::int64_t last[3] = {0, 0, 0};
  for (const recording::GpsSample& sample : samples) {
    if (!DrawableFix(sample)) continue;
    const auto lat = TenMillionths(sample.latitude, kLimit);
    const auto lng = TenMillionths(sample.longitude, kLimit);
    if (!lat || !lng) return GpsPointArray(samples);
    const std::int64_t values[3] = {*lat, *lng, static_cast<std::int64_t>(sample.time)};
    for (int i = 0; i < 3; ++i) {
      out += ',';
      AppendJsonNumber(out, values[i] - last[i]);
      last[i] = values[i];
    }
    ++fixes;
  }
  if (fixes == 0) return "[0]";
  std::string count;
  AppendJsonNumber(count, fixes);
  out.insert(count_at, count);
  out += "]}";
  return out;
}

std::optional<std::string> HostWebViewObject::Call(std::string_view method, std::string_view json_args,
                                                   TrackForm form) {
  const auto args = ParseJsonArgs(json_args);
  if (!args) return std::nullopt;
  return Dispatch(method, *args, form);
}

std::optional<std::string> HostWebViewObject::Dispatch(std::string_view method, const std::vector<JsonArg>& args,
                                                       TrackForm form) {
  const auto track = [form](const std::vector<recording::GpsSample>& samples) {
    return form == TrackForm::kPacked ? PackedGpsPointArray(samples) : GpsPointArray(samples);
  };
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
    return samples ? track(*samples) : kNull;
  }
  if (!args.empty()) {
    return std::nullopt;
  }
  if (method == "JS2C_ConnectTest") return sink_ ? IntText(sink_->ConnectTest()) : kNull;
  if (method == "JS2C_GetMapURL") return sink_ ? JsonString(sink_->GetMapURL()) : kNull;
  if (method == "JS2C_GetGPSData") return sink_ ? track(sink_->GetGPSData()) : kNull;
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
