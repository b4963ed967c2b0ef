#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/LocalTime.h"

namespace viewer {

// What one line of the list CSV says about a recording, read from its files:
// the front video's header, the sensor data header beside it and the sizes
// of the front and rear files.
struct CsvFacts {
  // The front video's header was read, with a picture size and a frame rate
  // above 0; without it the line is the nine-field fallback.
  bool video_readable = false;
  std::int32_t height = -1;
  std::int64_t frames = 0;
  std::uint32_t timescale = 0;  // the video track's; frames / rate = frames x delta / timescale
  std::uint32_t delta = 0;
  double frame_rate = 0.0;
  std::optional<char> quality_letter;  // none when the sensor data header cannot be read
  std::uint64_t main_size = 0;
  std::uint64_t sub_size = 0;  // 0 when the rear file cannot be opened
};

CsvFacts ReadCsvFacts(const std::filesystem::path& main_path);

// The recording's line in UTF-8, "\r\n" included: name, date, start time,
// length, trigger, size class, quality, frame rate, front and rear size in
// whole MiB. Not bounded in length.
std::string FormatCsvLine(std::string_view name, const CsvFacts& facts);
std::string CsvLine(const std::filesystem::path& main_path);

// The column titles in the current UI language, "\r\n" included.
std::string CsvHeaderLine();

// Whether the name carries the recorder's date and time fields
// (YYMMDD-HHMMSS at positions 4 and 11).
bool NameCarriesDate(std::string_view name);

// "Dv_%Y%m%d_%H%M%S.csv" of the start time in the first recording's name;
// of now when that name carries no date.
std::string CsvFileName(std::string_view first_name, const platform::SystemTime& now);

}  // namespace viewer
