#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/Expected.h"
#include "platform/MessageSink.h"
#include "recording/BoxTree.h"

namespace recording {

// Posted to the owner while a join is written: wParam 0, 33, 66, 99; lParam 100.
inline constexpr std::uint32_t kMessageJoinProgress = platform::kAppMessageBase + 8;

// The sensor data of a join: the first file's header and every record.
struct SensorJoinData {
  std::array<std::uint8_t, 26> header{};
  std::int64_t count = 0;  // the first file's count; -1 when its field says 0xFFFF
  std::vector<std::array<std::uint8_t, 124>> records;
};

// Reads a data file for joining: "CSMDAT", the header, the count and the raw
// records (up to "CSMEND" or the end of the file when the count is 0xFFFF).
platform::Expected<SensorJoinData> ReadSensorDataForJoin(const std::filesystem::path& path);

// Rear and data paths of a joined front file. They never equal the front
// path, whatever shape it has.
struct JoinOutputPaths {
  std::filesystem::path front, rear, data;
};
JoinOutputPaths JoinOutputs(const std::filesystem::path& front);

// Checks that B can be appended to A without wrong offsets or timing: the
// recorder's layout (mdat before moov, one mdat at the same offset, no co64,
// no ctts, the same tracks with one stts entry each, equal timescales,
// deltas, sample descriptions, stsz kinds and stsc). Empty when it can.
std::string CheckJoinable(const BoxTree& a, const BoxTree& b);

// Merges B's sample tables, durations and media data into A; B must stay
// open until A is written. Fails (changing nothing) when CheckJoinable
// fails or a sum would pass 32 bits.
bool MergeInto(BoxTree& a, BoxTree& b, std::string* why);

// Several consecutive recordings joined into one: front videos into one
// front video, rear videos into one rear video, data files into one data
// file. Start, Add (any number of times), Write, Free.
class RecordingJoin {
 public:
  explicit RecordingJoin(platform::MessageSink* owner);
  ~RecordingJoin();

  bool Start(const std::filesystem::path& first_front);
  bool Add(const std::filesystem::path& next_front);
  bool Write(const std::filesystem::path& output_front);
  void Free();

  bool rear_valid() const { return rear_valid_; }
  bool data_valid() const { return data_valid_; }
  // Why the last call failed.
  const std::string& error() const { return error_; }
  // What was dropped from the join, and why, in the order it happened.
  const std::vector<std::string>& notes() const { return notes_; }

 private:
  void DropRear(const std::string& why);
  void DropData(const std::string& why);
  bool Fail(std::string why);
  void Progress(int percent);

  platform::MessageSink* owner_;
  std::unique_ptr<BoxTree> front_;
  std::unique_ptr<BoxTree> rear_;
  SensorJoinData data_;
  std::vector<std::unique_ptr<BoxTree>> added_front_;
  std::vector<std::unique_ptr<BoxTree>> added_rear_;
  bool rear_valid_ = false;
  bool data_valid_ = false;
  std::string error_;
  std::vector<std::string> notes_;
};

}  // namespace recording
