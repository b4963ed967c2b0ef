#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzFile.h"
#include "recording/SensorBlock.h"
#include "recording/SensorDataFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  recording::DecodedBlock block;
  std::string why;
  recording::DecodeBlock(data, size, &block, &why);

  recording::SensorDataFile file;
  if (file.Load(FuzzFile(data, size))) {
    file.set_frame_duration(size % 2 ? 33.366f : 100.0f);
    file.IndexFrames(static_cast<std::int32_t>(size % 500));
    for (std::int32_t i = 0; i < static_cast<std::int32_t>(file.frame_index().size()); ++i) file.SampleAtFrame(i);
  }
  return 0;
}
