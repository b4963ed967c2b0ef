#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Expected.h"
#include "platform/MessageSink.h"
#include "recording/BoxTree.h"
#include "recording/SensorBlock.h"

namespace recording {

// Posted to the owner while a join is written: wParam 0, 33, 66, 99; lParam 100.
inline constexpr std::uint32_t kMessageJoinProgress = platform::kAppMessageBase + 8;

// Reads a data file for joining: its block's header, count field and raw
// records, found and read as the viewer reads them (SensorBlockFile).
platform::Expected<RawBlock> ReadSensorDataForJoin(const std::filesystem::path& path);

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
// file. Start, Add (any number of times), Write, Free; a call out of this
// order is refused with the reason. Every recording's files stay open until
// Free, as the joined trees copy media data from them. A failed Add leaves
// the join to be freed; a failed Write changes nothing on disk and may be
// tried again.
class RecordingJoin {
 public:
  explicit RecordingJoin(platform::MessageSink* owner);
  ~RecordingJoin();

  bool Start(const std::filesystem::path& first_front);
  bool Add(const std::filesystem::path& next_front);
  // Writes the joined front, rear and data files under temporary names and
  // puts them in place together (platform::OutputSet): the files of the
  // output names are afterwards all new or, on failure, all as they were. An
  // output of a part that was dropped is removed with the set, so no earlier
  // join's rear or data stays beside the new front. Refused when an output
  // name is (the same file as) any file of the recordings joined.
  bool Write(const std::filesystem::path& output_front);
  void Free();

  bool rear_valid() const { return rear_valid_; }
  bool data_valid() const { return data_valid_; }
  // Why the last call failed.
  const std::string& error() const { return error_; }
  // What was dropped from the join, and why, in the order it happened.
  const std::vector<std::string>& notes() const { return notes_; }

 private:
  enum class Stage { kIdle, kStarted, kBroken, kWritten };

  void DropRear(const std::string& why);
  void DropData(const std::string& why);
  bool Fail(std::string why);
  bool RefuseOutOfOrder(std::string_view call);
  void Progress(int percent);
  // The rear tree and the data block of a recording; null or empty, with
  // the part dropped and the reason noted, when there is none to use.
  std::unique_ptr<BoxTree> OpenRear(const std::filesystem::path& front);
  std::optional<RawBlock> ReadData(const std::filesystem::path& front);
  std::string OutputClash(const JoinOutputPaths& paths) const;

  platform::MessageSink* owner_;
  Stage stage_ = Stage::kIdle;
  std::vector<std::filesystem::path> fronts_;  // every input front, in order
  std::unique_ptr<BoxTree> front_;
  std::unique_ptr<BoxTree> rear_;
  RawBlock data_;
  std::vector<std::unique_ptr<BoxTree>> added_front_;
  std::vector<std::unique_ptr<BoxTree>> added_rear_;
  bool rear_valid_ = false;
  bool data_valid_ = false;
  std::string error_;
  std::vector<std::string> notes_;
};

}  // namespace recording
