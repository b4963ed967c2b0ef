#include "viewer/commands/CsvLine.h"

#include <charconv>

#include "library/RecordingNames.h"
#include "library/TriggerTable.h"
#include "platform/FileSystem.h"
#include "recording/BoxTree.h"
#include "recording/CompanionPath.h"
#include "recording/SensorDataFile.h"
#include "recording/VideoTiming.h"
#include "viewer/commands/RecordingStart.h"
#include "viewer/settings/UiTextTable.h"

namespace viewer {
namespace {

// The header's column titles, each but the last already ending in a comma.
constexpr int kHeaderTexts[] = {34, 33, 41, 40, 42, 39, 38, 36, 154, 155};
constexpr int kTextHighQuality = 59;
constexpr int kTextLowQuality = 60;
constexpr int kTextTimeLapseTrigger = 149;
constexpr int kTextTimeLapseRate = 150;
// Recordings whose frames lie this far apart in time: a time-lapse frame
// stands for 15 frames of real time.
constexpr std::uint64_t kTimeLapseFactor = 15;
constexpr const char* kSizeClasses[] = {"SD", "HD", "FHD"};

// Numbers are written locale-independently: the C locale follows the
// environment in the viewer.
void AppendNumber(std::string& out, std::uint64_t value, int width = 0) {
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  for (int n = static_cast<int>(end - digits); n < width; ++n) out += '0';
  out.append(digits, end);
}

// A name field as a CSV cell: quoted only when it holds a separator, a quote
// or a line end (never the case for the recorder's names).
void AppendName(std::string& out, std::string_view name) {
  if (name.find_first_of(",\"\r\n") == std::string_view::npos) {
    out += name;
    return;
  }
  out += '"';
  for (char c : name) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

void AppendDate(std::string& out, const platform::SystemTime& t) {
  AppendNumber(out, t.year, 4);
  out += '/';
  AppendNumber(out, t.month, 2);
  out += '/';
  AppendNumber(out, t.day, 2);
}

void AppendClock(std::string& out, std::uint64_t hours, std::uint64_t minutes, std::uint64_t seconds) {
  AppendNumber(out, hours, 2);
  out += ':';
  AppendNumber(out, minutes, 2);
  out += ':';
  AppendNumber(out, seconds, 2);
}

bool IsTimeLapse(std::string_view name) {
  const library::TriggerRow* row = name.empty() ? nullptr : library::TriggerRowOf(0, name[0]);
  return row != nullptr && row->time_lapse;
}

std::string FallbackLine(std::string_view name) {
  std::string line;
  AppendName(line, name);
  line += ",-,-,-,-,-,-,fps,0MB\r\n";
  return line;
}

bool IsDigits(std::string_view s) {
  for (char c : s) {
    if (c < '0' || c > '9') return false;
  }
  return !s.empty();
}

}  // namespace

CsvFacts ReadCsvFacts(const std::filesystem::path& main_path) {
  CsvFacts facts;
  if (auto tree = recording::BoxTree::Open(main_path, false)) {
    const auto timing = recording::VideoTiming::FromTree(**tree);
    const recording::FrameSize size = (*tree)->GetFrameSize();
    if (timing && size.width >= 0 && timing->frame_rate() > 0.0) {
      facts.video_readable = true;
      facts.height = size.height;
      facts.frames = timing->frame_count();
      facts.timescale = timing->timescale();
      facts.delta = timing->delta();
      facts.frame_rate = timing->frame_rate();
    }
  }
  recording::SensorDataHeader header;
  if (recording::ReadHeaderOnly(main_path, &header)) facts.quality_letter = header.quality;
  platform::FileSystem& fs = platform::Fs();
  facts.main_size = fs.FileSize(main_path).value_or(0);
  // A name not of the recorder's shape has no rear file: its companion path
  // is the front file itself.
  const std::filesystem::path sub = recording::CompanionPath(main_path, recording::Companion::kOtherCamera);
  if (sub != main_path) facts.sub_size = fs.FileSize(sub).value_or(0);
  return facts;
}

std::string FormatCsvLine(std::string_view name, const CsvFacts& facts) {
  if (!facts.video_readable || facts.timescale == 0 || facts.delta == 0 || facts.frames < 0) return FallbackLine(name);
  const bool time_lapse = IsTimeLapse(name);
  std::string line;
  AppendName(line, name);
  line += ',';
  if (NameCarriesDate(name)) {
    const platform::SystemTime start = library::TimeOfName(name);
    AppendDate(line, start);
    line += ',';
    AppendClock(line, start.hour, start.minute, start.second);
  } else {
    line += "--/--/--,--:--:--";
  }
  line += ',';
  // trunc(frames / rate) in whole numbers: a rate such as 30000/1001 held
  // as a double would cut a whole second off exact lengths.
  const unsigned __int128 ticks = static_cast<unsigned __int128>(facts.frames) * (time_lapse ? kTimeLapseFactor : 1) *
                                  facts.delta;
  const auto seconds = static_cast<std::uint64_t>(ticks / facts.timescale);
  AppendClock(line, seconds / 3600, seconds / 60 % 60, seconds % 60);
  line += ',';
  line += time_lapse ? UiText(kTextTimeLapseTrigger) : library::TriggerText(name);
  line += ',';
  const int code = QualityCode(facts.height, facts.quality_letter.value_or('\0'));
  if (code > 0) {
    line += kSizeClasses[(code - 1) / 2];
    line += ',';
    // Odd codes are the high-quality ones; an unknown letter says nothing.
    if (facts.quality_letter) line += UiText(code % 2 == 1 ? kTextHighQuality : kTextLowQuality);
  } else {
    line += ',';
  }
  line += ',';
  if (time_lapse) {
    line += UiText(kTextTimeLapseRate);
  } else {
    char rate[32];
    const auto end = std::to_chars(rate, rate + sizeof rate, facts.frame_rate, std::chars_format::fixed, 0).ptr;
    line.append(rate, end);
    line += "fps";
  }
  line += ',';
  AppendNumber(line, facts.main_size >> 20);
  line += "MB,";
  AppendNumber(line, facts.sub_size >> 20);
  line += "MB\r\n";
  return line;
}

std::string CsvLine(const std::filesystem::path& main_path) {
  return FormatCsvLine(main_path.filename().string(), ReadCsvFacts(main_path));
}

std::string CsvHeaderLine() {
  std::string line;
  for (int text : kHeaderTexts) line += UiText(text);
  line += "\r\n";
  return line;
}

bool NameCarriesDate(std::string_view name) {
  return name.size() >= 17 && name[3] == '-' && name[10] == '-' && IsDigits(name.substr(4, 6)) &&
         IsDigits(name.substr(11, 6));
}

std::string CsvFileName(std::string_view first_name, const platform::SystemTime& now) {
  const platform::SystemTime t = NameCarriesDate(first_name) ? library::TimeOfName(first_name) : now;
  std::string name = "Dv_";
  AppendNumber(name, t.year, 4);
  AppendNumber(name, t.month, 2);
  AppendNumber(name, t.day, 2);
  name += '_';
  AppendNumber(name, t.hour, 2);
  AppendNumber(name, t.minute, 2);
  AppendNumber(name, t.second, 2);
  name += ".csv";
  return name;
}

}  // namespace viewer
