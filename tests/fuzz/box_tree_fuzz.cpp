#include <cstddef>
#include <cstdint>
#include <limits>

#include "FuzzFile.h"
#include "recording/BoxTree.h"
#include "recording/MappedFileReader.h"
#include "recording/SensorDataFile.h"
#include "recording/VideoTiming.h"

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
  auto video = recording::VideoTiming::Read(path);
  if (video) {
    // What the view does with a file it accepts: sensor data indexed by
    // frame, one entry per frame of the count the fuzzed file gives. The
    // count must be bounded by the file, or this allocates gigabytes.
    recording::SensorDataFile sensor;
    if (sensor.Load(BRENNOVALE_SENSOR_SEED)) {
      sensor.set_frame_duration(static_cast<float>(video->frame_duration_ms()));
      sensor.IndexFrames(video->frame_count());
    }
    // Frames at least one 100-ns unit long are read back as themselves
    // (unless the time saturates at 2^63 - 1).
    const std::int32_t last = video->frame_count() - 1;
    const std::int64_t end = video->TimeOfFrame(last, 10000000);
    const bool resolvable = video->frame_duration_ms() * 10000 >= 1.0 && end != std::numeric_limits<std::int64_t>::max();
    if (resolvable && video->FrameAtTime(end, 10000000) != last) __builtin_trap();
  }
  return 0;
}
