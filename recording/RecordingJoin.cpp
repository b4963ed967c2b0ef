#include "recording/RecordingJoin.h"

#include <cstring>
#include <iterator>
#include <map>

#include "platform/ByteOrder.h"
#include "platform/FileSystem.h"
#include "platform/OutputFile.h"
#include "platform/OutputSet.h"
#include "recording/CompanionPath.h"
#include "recording/SensorBlockFile.h"

namespace recording {
namespace {

constexpr std::uint64_t kMax32 = 0xFFFFFFFFull;

// The same name, or two names of one file (links, another spelling).
bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
  if (a.lexically_normal() == b.lexically_normal()) return true;
  std::error_code ec;
  return std::filesystem::equivalent(a, b, ec);
}

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

platform::Expected<RawBlock> ReadSensorDataForJoin(const std::filesystem::path& path) {
  using Result = platform::Expected<RawBlock>;
  auto file = SensorBlockFile::Open(path);
  if (!file) return Result::Failure(file.error());
  if (!file->has_block()) return Result::Failure(path.string() + ": no sensor data block");
  RawBlock block;
  std::string why;
  if (!file->ReadRaw(&block, &why)) return Result::Failure(path.string() + ": " + why);
  return block;
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

bool RecordingJoin::RefuseOutOfOrder(std::string_view call) {
  const std::string refused = std::string(call) + " refused: ";
  switch (stage_) {
    case Stage::kIdle: return Fail(refused + "no join was started");
    case Stage::kStarted: return Fail(refused + "a join is in progress; free it first");
    case Stage::kBroken: return Fail(refused + "a recording could not be added; the join can only be freed");
    case Stage::kWritten: return Fail(refused + "the join was written; free it first");
  }
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
  data_ = RawBlock{};
  notes_.push_back("sensor data dropped: " + why);
}

void RecordingJoin::Progress(int percent) {
  if (owner_ != nullptr) owner_->Post(kMessageJoinProgress, static_cast<std::uintptr_t>(percent), 100);
}

std::unique_ptr<BoxTree> RecordingJoin::OpenRear(const std::filesystem::path& front) {
  const std::filesystem::path path = CompanionPath(front, Companion::kOtherCamera);
  // A name not of the recorder's shape has no rear name: its "rear" would be
  // the front file itself.
  if (SameFile(path, front)) {
    DropRear(front.string() + ": the name is not a recorder's, so there is no rear camera file for it");
    return nullptr;
  }
  auto rear = BoxTree::Open(path, true);
  if (!rear) {
    DropRear(rear.error());
    return nullptr;
  }
  return rear.take();
}

std::optional<RawBlock> RecordingJoin::ReadData(const std::filesystem::path& front) {
  const std::filesystem::path path = DataPath(front);
  if (SameFile(path, front)) {
    DropData(front.string() + ": the name is not a recorder's, so there is no data file for it");
    return std::nullopt;
  }
  auto data = ReadSensorDataForJoin(path);
  if (!data) {
    DropData(data.error());
    return std::nullopt;
  }
  return data.take();
}

bool RecordingJoin::Start(const std::filesystem::path& first_front) {
  if (stage_ != Stage::kIdle) return RefuseOutOfOrder("Start");
  notes_.clear();
  auto front = BoxTree::Open(first_front, true);
  if (!front) return Fail(front.error());
  const std::string layout = CheckJoinable(**front, **front);
  if (!layout.empty()) return Fail(layout);
  front_ = front.take();
  fronts_.push_back(first_front);
  stage_ = Stage::kStarted;
  rear_valid_ = data_valid_ = true;
  rear_ = OpenRear(first_front);
  if (rear_) {
    const std::string rear_layout = CheckJoinable(*rear_, *rear_);
    if (!rear_layout.empty()) DropRear(rear_layout);
  }
  if (auto data = ReadData(first_front)) data_ = std::move(*data);
  return true;
}

bool RecordingJoin::Add(const std::filesystem::path& next_front) {
  if (stage_ != Stage::kStarted) return RefuseOutOfOrder("Add");
  auto front = BoxTree::Open(next_front, true);
  std::string why;
  if (!front || !MergeInto(*front_, **front, &why)) {
    stage_ = Stage::kBroken;
    return Fail(front ? why : front.error());
  }
  added_front_.push_back(front.take());
  fronts_.push_back(next_front);

  if (rear_valid_) {
    if (auto rear = OpenRear(next_front)) {
      if (MergeInto(*rear_, *rear, &why)) {
        added_rear_.push_back(std::move(rear));
      } else {
        DropRear(why);
      }
    }
  }
  if (data_valid_) {
    if (auto data = ReadData(next_front)) {
      if (data->header[25] != data_.header[25]) {
        // Another record rate would get wrong times under the first header.
        DropData(DataPath(next_front).string() + ": recorded at another rate than the first recording");
      } else {
        data_.records.insert(data_.records.end(), data->records.begin(), data->records.end());
      }
    }
  }
  return true;
}

std::string RecordingJoin::OutputClash(const JoinOutputPaths& paths) const {
  std::vector<std::filesystem::path> inputs;
  for (const auto& front : fronts_) {
    inputs.push_back(front);
    inputs.push_back(CompanionPath(front, Companion::kOtherCamera));
    inputs.push_back(DataPath(front));
  }
  const std::filesystem::path outputs[] = {paths.front, paths.rear, paths.data};
  for (const auto& out : outputs) {
    for (const auto& in : inputs) {
      if (SameFile(out, in)) return out.string() + ": this is a file of a recording being joined (" + in.string() + ")";
    }
  }
  for (std::size_t i = 0; i < std::size(outputs); ++i) {
    for (std::size_t j = i + 1; j < std::size(outputs); ++j) {
      if (SameFile(outputs[i], outputs[j])) {
        return outputs[i].string() + ": the same file as the output " + outputs[j].string();
      }
    }
  }
  return {};
}

bool RecordingJoin::Write(const std::filesystem::path& output_front) {
  if (stage_ != Stage::kStarted) return RefuseOutOfOrder("Write");
  const JoinOutputPaths paths = JoinOutputs(output_front);
  const std::string clash = OutputClash(paths);
  if (!clash.empty()) return Fail(clash);
  const bool with_rear = rear_valid_ && rear_ != nullptr;
  if (TreeSize(*front_) > kMax32 || (with_rear && TreeSize(*rear_) > kMax32)) {
    return Fail(output_front.string() + ": the joined recording would pass 4 GiB");
  }
  Progress(0);
  std::map<std::string, int> sources;
  auto add_sources = [&sources](const BoxTree& t) { sources[t.path().string()] = t.mapping()->fd(); };
  add_sources(*front_);
  for (const auto& t : added_front_) add_sources(*t);
  if (with_rear) add_sources(*rear_);
  for (const auto& t : added_rear_) add_sources(*t);

  auto create = [this](const std::filesystem::path& path) {
    std::string why;
    auto out = platform::Fs().CreateOutputFile(path, &why);
    if (!out) Fail(why);
    return out;
  };
  auto write_tree = [&](const BoxTree& tree, const std::filesystem::path& path) {
    auto out = create(path);
    if (!out) return out;
    TreeWriter writer(*out, sources);
    if (!writer.Write(tree)) {
      Fail(writer.error());
      out.reset();
    }
    return out;
  };

  platform::OutputSet set;
  const auto front = write_tree(*front_, paths.front);
  if (!front) return false;
  set.Add(*front);
  Progress(33);
  std::unique_ptr<platform::OutputFile> rear;
  if (with_rear) {
    rear = write_tree(*rear_, paths.rear);
    if (!rear) return false;
    set.Add(*rear);
    Progress(66);
  } else {
    set.Remove(paths.rear);  // an earlier join's rear must not pass for this one's
  }
  std::unique_ptr<platform::OutputFile> data;
  if (data_valid_) {
    const std::vector<std::uint8_t> bytes = FormatBlock(data_.header, data_.records);
    data = create(paths.data);
    if (!data) return false;
    if (!data->Write(bytes.data(), bytes.size())) return Fail(data->error());
    set.Add(*data);
    Progress(99);
  } else {
    set.Remove(paths.data);
  }
  if (!set.Commit()) return Fail(set.error());
  // Data files the viewer writes are hidden, as the recorder's are.
  if (data_valid_) platform::Fs().SetHidden(paths.data, true);
  stage_ = Stage::kWritten;
  return true;
}

void RecordingJoin::Free() {
  added_front_.clear();
  added_rear_.clear();
  front_.reset();
  rear_.reset();
  data_ = RawBlock{};
  fronts_.clear();
  rear_valid_ = data_valid_ = false;
  stage_ = Stage::kIdle;
}

}  // namespace recording
