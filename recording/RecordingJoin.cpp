#include "recording/RecordingJoin.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <map>

#include "platform/ByteOrder.h"
#include "platform/FileSystem.h"
#include "recording/CompanionPath.h"
#include "recording/SensorBlock.h"

namespace recording {
namespace {

constexpr std::uint64_t kMax32 = 0xFFFFFFFFull;
constexpr std::size_t kRecord = 124;

std::uint64_t BoxSize(const BoxNode& n) {
  if (n.has_raw_payload) return n.payload_size + 8;
  std::uint64_t size = 8;
  for (const BoxNode& c : n.children) size += BoxSize(c);
  return size;
}

std::uint64_t TreeSize(const BoxTree& t) {
  std::uint64_t size = 0;
  for (const BoxNode& c : t.root().children) size += BoxSize(c);
  return size;
}

// Writes a tree box by box; media bytes are copied from the files they came
// from, never through mapped memory.
class TreeWriter {
 public:
  TreeWriter(platform::OutputFile& out, const std::map<std::string, int>& sources) : out_(out), sources_(sources) {}

  bool Write(const BoxTree& tree) {
    for (const BoxNode& c : tree.root().children) {
      if (!WriteBox(c)) return false;
    }
    return true;
  }
  const std::string& error() const { return error_; }

 private:
  bool CopyPayload(const BoxNode& n) {
    const auto it = sources_.find(n.source_path.string());
    if (it == sources_.end()) return Fail(n.source_path.string() + ": not open");
    if (!out_.CopyFrom(it->second, n.read_payload_offset, n.read_payload_size)) {
      return Fail(out_.error() + " (copying from " + n.source_path.string() + ")");
    }
    return true;
  }

  bool WriteBox(const BoxNode& n) {
    std::uint8_t header[8];
    platform::StoreBE32(header, static_cast<std::uint32_t>(BoxSize(n)));
    std::memcpy(header + 4, n.type, 4);
    if (!out_.Write(header, 8)) return Fail(out_.error());
    if (!n.has_raw_payload) {
      for (const BoxNode& c : n.children) {
        if (!WriteBox(c)) return false;
      }
      return true;
    }
    if (n.IsType("mdat")) {
      if (!CopyPayload(n)) return false;
      for (const BoxNode* chained = n.linked_head; chained != nullptr; chained = chained->linked_tail) {
        if (!CopyPayload(*chained)) return false;
      }
      return true;
    }
    if (n.loaded_size > 0) return out_.Write(n.payload.data(), n.payload.size()) || Fail(out_.error());
    // A box held without a copy of its bytes is written whole from its file.
    return n.payload_size == 0 || CopyPayload(n);
  }

  bool Fail(std::string why) {
    error_ = std::move(why);
    return false;
  }

  platform::OutputFile& out_;
  const std::map<std::string, int>& sources_;
  std::string error_;
};

}  // namespace

platform::Expected<SensorJoinData> ReadSensorDataForJoin(const std::filesystem::path& path) {
  using Result = platform::Expected<SensorJoinData>;
  std::ifstream in(path, std::ios::binary);
  if (!in) return Result::Failure(path.string() + ": cannot open the data file");
  char marker[6];
  SensorJoinData data;
  std::uint8_t count[2];
  if (!in.read(marker, 6) || std::memcmp(marker, "CSMDAT", 6) != 0) {
    return Result::Failure(path.string() + ": not a sensor data file");
  }
  if (!in.read(reinterpret_cast<char*>(data.header.data()), 26) || !in.read(reinterpret_cast<char*>(count), 2)) {
    return Result::Failure(path.string() + ": the sensor data header is cut short");
  }
  const std::uint16_t n = platform::LoadBE16(count);
  data.count = n == 0xFFFF ? -1 : n;
  std::array<std::uint8_t, kRecord> record;
  while (data.count < 0 || static_cast<std::int64_t>(data.records.size()) < data.count) {
    in.read(reinterpret_cast<char*>(record.data()), kRecord);
    const auto got = static_cast<std::size_t>(in.gcount());
    const bool end_marker = got >= 6 && std::memcmp(record.data(), "CSMEND", 6) == 0;
    if (data.count < 0 && (end_marker || got < kRecord)) break;  // up to the end marker or the end of the file
    if (end_marker || got < kRecord) return Result::Failure(path.string() + ": fewer records than its count says");
    data.records.push_back(record);
  }
  return data;
}

JoinOutputPaths JoinOutputs(const std::filesystem::path& front) {
  JoinOutputPaths out{front, CompanionPath(front, Companion::kOtherCamera), DataPath(front)};
  const std::filesystem::path folder = front.parent_path();
  const std::string stem = front.stem().string();
  if (out.rear == out.front) out.rear = folder / (stem + "-rear" + front.extension().string());
  if (out.data == out.front || out.data == out.rear) out.data = folder / (stem + "-data.ADA");
  return out;
}

RecordingJoin::RecordingJoin(platform::MessageSink* owner) : owner_(owner) {}
RecordingJoin::~RecordingJoin() { Free(); }

bool RecordingJoin::Fail(std::string why) {
  error_ = std::move(why);
  return false;
}

void RecordingJoin::DropRear(const std::string& why) {
  if (!rear_valid_) return;
  rear_valid_ = false;
  notes_.push_back("rear camera dropped: " + why);
}

void RecordingJoin::DropData(const std::string& why) {
  if (!data_valid_) return;
  data_valid_ = false;
  data_ = SensorJoinData{};
  notes_.push_back("sensor data dropped: " + why);
}

void RecordingJoin::Progress(int percent) {
  if (owner_ != nullptr) owner_->Post(kMessageJoinProgress, static_cast<std::uintptr_t>(percent), 100);
}

bool RecordingJoin::Start(const std::filesystem::path& first_front) {
  Free();
  auto front = BoxTree::Open(first_front, true);
  if (!front) return Fail(front.error());
  front_ = front.take();
  const std::string layout = CheckJoinable(*front_, *front_);
  if (!layout.empty()) {
    Free();
    return Fail(layout);
  }
  rear_valid_ = data_valid_ = true;
  auto rear = BoxTree::Open(CompanionPath(first_front, Companion::kOtherCamera), true);
  if (!rear) {
    DropRear(rear.error());
  } else {
    rear_ = rear.take();
    const std::string rear_layout = CheckJoinable(*rear_, *rear_);
    if (!rear_layout.empty()) DropRear(rear_layout);
  }
  auto data = ReadSensorDataForJoin(DataPath(first_front));
  if (!data) {
    DropData(data.error());
  } else {
    data_ = data.take();
  }
  return true;
}

bool RecordingJoin::Add(const std::filesystem::path& next_front) {
  if (!front_) return Fail("no join was started");
  auto front = BoxTree::Open(next_front, true);
  if (!front) return Fail(front.error());
  std::string why;
  if (!MergeInto(*front_, **front, &why)) return Fail(why);
  added_front_.push_back(front.take());

  if (rear_valid_) {
    auto rear = BoxTree::Open(CompanionPath(next_front, Companion::kOtherCamera), true);
    if (!rear) {
      DropRear(rear.error());
    } else if (!MergeInto(*rear_, **rear, &why)) {
      DropRear(why);
    } else {
      added_rear_.push_back(rear.take());
    }
  }
  if (data_valid_) {
    auto data = ReadSensorDataForJoin(DataPath(next_front));
    if (!data) {
      DropData(data.error());
    } else if (data->header[25] != data_.header[25]) {
      // Another record rate would get wrong times under the first header.
      DropData(DataPath(next_front).string() + ": recorded at another rate than the first recording");
    } else {
      data_.records.insert(data_.records.end(), data->records.begin(), data->records.end());
    }
  }
  return true;
}

bool RecordingJoin::Write(const std::filesystem::path& output_front) {
  if (!front_) return Fail("no join was started");
  Progress(0);
  const JoinOutputPaths paths = JoinOutputs(output_front);
  if (TreeSize(*front_) > kMax32 || (rear_valid_ && rear_ && TreeSize(*rear_) > kMax32)) {
    return Fail(output_front.string() + ": the joined recording would pass 4 GiB");
  }
  std::map<std::string, int> sources;
  auto add_sources = [&sources](const BoxTree& t) { sources[t.path().string()] = t.mapping()->fd(); };
  add_sources(*front_);
  for (const auto& t : added_front_) add_sources(*t);
  if (rear_) add_sources(*rear_);
  for (const auto& t : added_rear_) add_sources(*t);

  auto write_tree = [&](const BoxTree& tree, const std::filesystem::path& path) {
    std::string why;
    auto out = platform::Fs().CreateOutputFile(path, &why);
    if (!out) return Fail(why);
    TreeWriter writer(*out, sources);
    if (!writer.Write(tree)) return Fail(writer.error());
    if (!out->Commit()) return Fail(out->error());
    return true;
  };

  if (!write_tree(*front_, paths.front)) return false;
  added_front_.clear();
  Progress(33);
  if (rear_valid_ && rear_) {
    if (!write_tree(*rear_, paths.rear)) return false;
    added_rear_.clear();
    Progress(66);
  }
  if (data_valid_) {
    const std::vector<std::uint8_t> bytes = FormatBlock(data_.header, data_.records);
    std::string why;
    auto out = platform::Fs().CreateOutputFile(paths.data, &why);
    if (!out) return Fail(why);
    if (!out->Write(bytes.data(), bytes.size()) || !out->Commit()) return Fail(out->error());
    // Data files the viewer writes are hidden, as the recorder's are.
    platform::Fs().SetHidden(paths.data, true);
    Progress(99);
  }
  return true;
}

void RecordingJoin::Free() {
  added_front_.clear();
  added_rear_.clear();
  front_.reset();
  rear_.reset();
  data_ = SensorJoinData{};
}

}  // namespace recording
