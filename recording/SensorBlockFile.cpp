#include "recording/SensorBlockFile.h"

#include <algorithm>
#include <cstring>

#include "platform/ByteOrder.h"

namespace recording {
namespace {

constexpr std::uint64_t kView = 0x2000000;
constexpr std::uint64_t kBoxProbe = 12;

}  // namespace

SensorBlockFile::SensorBlockFile(std::shared_ptr<platform::FileMapping> mapping, bool has_block, std::uint64_t block)
    : mapping_(std::move(mapping)), has_block_(has_block), block_(block) {}

platform::Expected<SensorBlockFile> SensorBlockFile::Open(const std::filesystem::path& path,
                                                          const std::function<bool()>& cancelled) {
  using Result = platform::Expected<SensorBlockFile>;
  auto mapping = platform::FileMapping::Open(path);
  if (!mapping) return Result::Failure(mapping.error());
  const platform::FileMapping& file = **mapping;
  const std::string name = path.string();
  std::uint64_t position = 0;
  for (;;) {
    if (cancelled && cancelled()) return Result::Failure(name + ": loading cancelled");
    if (position >= file.size()) return SensorBlockFile(mapping.take(), false, 0);
    std::string error;
    const platform::MappedView head = file.Map(position, kBoxProbe, &error);
    std::uint8_t bytes[4];
    if (!head.valid()) return Result::Failure(error);
    if (head.size() < 4) return Result::Failure(name + ": cut short before its sensor data block");
    if (!head.Read(0, bytes, 4)) return Result::Failure(name + ": read error (file truncated or medium removed)");
    if (std::memcmp(bytes, kBlockStart, 4) == 0) break;
    const std::uint32_t size = platform::LoadBE32(bytes);
    if (size < 8) return Result::Failure(name + ": invalid box size before the sensor data block");
    position += size;
  }
  if (file.size() - position < kMarkerSize) return Result::Failure(name + ": the sensor data block is cut short");
  return SensorBlockFile(mapping.take(), true, position);
}

std::size_t SensorBlockFile::Available() const {
  return has_block_ ? static_cast<std::size_t>(mapping_->size() - block_ - kMarkerSize) : 0;
}

BlockReader SensorBlockFile::Reader() {
  return [this](std::size_t offset, void* dst, std::size_t n) {
    const std::uint64_t at = block_ + kMarkerSize + offset;
    platform::MappedView& view = view_;
    const bool inside = view.valid() && at >= view.file_offset() && at + n <= view.file_offset() + view.size();
    if (!inside) {
      view = mapping_->Map(at, std::max<std::uint64_t>(kView, n));
      if (!view.valid() || view.size() < n) return false;
    }
    return view.Read(static_cast<std::size_t>(at - view.file_offset()), dst, n);
  };
}

bool SensorBlockFile::Decode(DecodedBlock* out, std::string* why) {
  const bool ok = DecodeBlock(Reader(), Available(), out, why);
  view_.Unmap();
  return ok;
}

bool SensorBlockFile::ReadRaw(RawBlock* out, std::string* why) {
  const bool ok = ReadRawBlock(Reader(), Available(), out, why);
  view_.Unmap();
  return ok;
}

}  // namespace recording
