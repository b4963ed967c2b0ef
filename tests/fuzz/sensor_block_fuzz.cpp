#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "FuzzFile.h"
#include "recording/SensorBlock.h"
#include "recording/SensorDataFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  recording::DecodedBlock block;
  std::string why;
  const bool decoded = recording::DecodeBlock(data, size, &block, &why);
  // The joiner's raw read follows the same rules: the same verdict, the same records.
  recording::RawBlock raw;
  std::string raw_why;
  const bool read = recording::ReadRawBlock(
      [data](std::size_t offset, void* dst, std::size_t n) {
        std::memcpy(dst, data + offset, n);
        return true;
      },
      size, &raw, &raw_why);
  if (decoded != read || block.gps.size() != raw.records.size()) __builtin_trap();

  recording::SensorDataFile file;
  if (file.Load(FuzzFile(data, size))) {
    file.set_frame_duration(size % 2 ? 33.366f : 100.0f);
    file.IndexFrames(static_cast<std::int32_t>(size % 500));
    for (std::int32_t i = 0; i < static_cast<std::int32_t>(file.frame_index().size()); ++i) file.SampleAtFrame(i);
  }
  return 0;
}
