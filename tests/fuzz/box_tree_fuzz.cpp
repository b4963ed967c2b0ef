#include <cstddef>
#include <cstdint>

#include "FuzzFile.h"
#include "recording/BoxTree.h"
#include "recording/MappedFileReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto& path = FuzzFile(data, size);
  for (bool load_root : {false, true}) {
    auto tree = recording::BoxTree::Open(path, load_root);
    if (tree) {
      (*tree)->GetFrameSize();
      (*tree)->GetFrameCount();
      (*tree)->GetFrameRate();
    }
  }
  recording::IsRecording(path);
  auto timing = recording::ReadRecordingTiming(path);
  (void)timing;
  return 0;
}
