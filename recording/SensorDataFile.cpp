#include "recording/SensorDataFile.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/ByteOrder.h"
#include "platform/FileMapping.h"
#include "platform/NamedMutexLock.h"
#include "recording/CompanionPath.h"
#include "recording/SensorBlock.h"
#include "recording/SensorBlockFile.h"

namespace recording {
namespace {

constexpr std::uint64_t kBlockView = 0x2000000;  // the view a header is read from
constexpr std::int32_t kGpsLinkLag = 5;

std::int32_t ToFrame(std::int32_t time_ms, float frame_duration) {
  const float frame = static_cast<float>(time_ms) / frame_duration;
  if (!(frame < static_cast<float>(INT_MAX))) return INT_MAX;
  if (!(frame > static_cast<float>(INT_MIN))) return INT_MIN;
  return static_cast<std::int32_t>(frame);
}

}  // namespace

SensorDataFile::SensorDataFile() : find_mutex_(platform::NamedMutex::Create("hMutexFind")) {}

SensorDataFile::~SensorDataFile() {
  platform::NamedMutexLock lock(*find_mutex_);
  Free();
}

bool SensorDataFile::Fail(std::string why) {
  last_error_ = std::move(why);
  Free();
  return false;
}

void SensorDataFile::Free() {
  gps_.clear();
  gps_.shrink_to_fit();
  accel_.clear();
  accel_.shrink_to_fit();
  frame_index_.clear();
  frame_index_.shrink_to_fit();
  header_ = SensorDataHeader{};
  last_index_ = -1;
  largest_acceleration_ = 0.0;
  period_ = 100.0f;
  loaded_ = false;
}

bool SensorDataFile::Load(const std::filesystem::path& data_path) {
  platform::NamedMutexLock lock(*find_mutex_);
  Free();
  path_ = data_path;
  auto file = SensorBlockFile::Open(data_path, [this] { return cancel_.exchange(false); });
  if (!file) return Fail(file.error());
  if (!file->has_block()) {
    loaded_ = true;  // no block: the recording simply has no sensor data
    return true;
  }
  DecodedBlock block;
  std::string why;
  if (!file->Decode(&block, &why)) return Fail(data_path.string() + ": " + why);
  header_ = block.header;
  period_ = block.period;
  gps_ = std::move(block.gps);
  accel_ = std::move(block.accel);
  last_index_ = static_cast<std::int32_t>(accel_.size()) - 1;
  loaded_ = true;
  return true;
}

bool SensorDataFile::Move(SensorDataFile& from, SensorDataFile& to) {
  if (&from == &to) return !to.gps_.empty();
  to.Free();
  to.gps_ = std::move(from.gps_);
  to.accel_ = std::move(from.accel_);
  to.header_ = from.header_;
  to.period_ = from.period_;
  to.last_index_ = from.last_index_;
  to.largest_acceleration_ = from.largest_acceleration_;
  to.loaded_ = from.loaded_;
  to.path_ = from.path_;
  from.Free();
  return !to.gps_.empty();
}

bool SensorDataFile::IndexFrames(std::int32_t frame_count) {
  frame_index_.assign(frame_count > 0 ? static_cast<std::size_t>(frame_count) : 0, nullptr);
  if (frame_count <= 0 || accel_.empty() || !(frame_duration_ > 0.0f) || !std::isfinite(frame_duration_)) {
    return false;
  }
  for (AccelSample& a : accel_) a.time = ToFrame(a.time, frame_duration_);
  for (GpsSample& g : gps_) g.time = ToFrame(g.time, frame_duration_);

  // A sample takes effect on the frame after its own frame number. Where
  // several samples fall on one frame the index skips ahead to the last of
  // them, so it never falls behind the video.
  std::size_t k = 0;
  for (std::int32_t i = 0; i < frame_count; ++i) {
    frame_index_[static_cast<std::size_t>(i)] = &accel_[k];
    while (k + 1 < accel_.size() && accel_[k + 1].time <= i) ++k;
  }

  double max_x = 0.0, max_y = 0.0, max_z = 0.0;
  if (!gps_.empty()) {
    std::size_t g = 0;
    for (AccelSample& a : accel_) {
      max_x = std::max(max_x, std::fabs(a.x));
      max_y = std::max(max_y, std::fabs(a.y));
      max_z = std::max(max_z, std::fabs(a.z));
      if (gps_[g].time <= a.time) {
        gps_[g].accel_link = &a;
        if (g + 1 < gps_.size()) ++g;
      }
      a.gps_link = g < static_cast<std::size_t>(kGpsLinkLag) ? &gps_[0] : &gps_[g - kGpsLinkLag];
    }
  }
  largest_acceleration_ = std::max({max_x, max_y, max_z});
  return true;
}

const AccelSample* SensorDataFile::SampleAtFrame(std::int32_t frame) const {
  if (frame < 0 || static_cast<std::size_t>(frame) >= frame_index_.size()) return nullptr;
  return frame_index_[static_cast<std::size_t>(frame)];
}

bool IsDataFile(const std::filesystem::path& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  char head[kMarkerSize];
  const bool ok = std::fread(head, 1, sizeof head, file) == sizeof head && std::memcmp(head, kBlockStart, kMarkerSize) == 0;
  std::fclose(file);
  return ok;
}

bool ReadHeaderOnly(const std::filesystem::path& video_path, SensorDataHeader* header) {
  const std::filesystem::path data = DataPath(video_path);
  if (!IsDataFile(data)) return false;
  auto mapping = platform::FileMapping::Open(data);
  if (!mapping) return false;
  platform::MappedView view = (*mapping)->Map(0, kBlockView);
  std::uint8_t head[kHeaderReadSize];
  const std::size_t n = std::min(sizeof head, view.size() > kMarkerSize ? view.size() - kMarkerSize : 0);
  if (n < kHeaderSize || !view.Read(kMarkerSize, head, n)) return false;
  return DecodeHeader(head, n, header) > 0;
}

bool LoadRoute(const std::vector<std::filesystem::path>& video_paths, std::vector<GpsSample>* route) {
  route->clear();
  for (const auto& video : video_paths) {
    const std::filesystem::path data = DataPath(video);
    if (!IsDataFile(data)) return false;
    SensorDataFile file;
    if (!file.Load(data)) return false;
    route->insert(route->end(), file.gps().begin(), file.gps().end());
  }
  return true;
}

}  // namespace recording
