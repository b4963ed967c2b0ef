#pragma once

#include <QImage>
#include <cstdint>

namespace player {

// One decoded picture on its way from the decoder to the screen.
struct VideoSample {
  QImage image;                   // RGB32 at the video's native size
  std::int64_t time = 0;          // presentation time, 100-ns units
  std::int32_t frame = -1;        // frame number in the recording
};

}  // namespace player
