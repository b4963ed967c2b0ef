#include "viewer/commands/RecordingStart.h"

namespace viewer {
namespace {

struct HeightRow {
  int lines;
  int code;
};
constexpr HeightRow kHeights[] = {{360, 1}, {720, 3}, {1080, 5}};

}  // namespace

int QualityCode(int video_height, char quality_letter) {
  for (const HeightRow& row : kHeights) {
    if (row.lines == video_height) return row.code + (quality_letter == 'H' ? 0 : 1);
  }
  return 0;
}

float FramePeriodMs(double frames_per_second) {
  return frames_per_second > 0.0 ? static_cast<float>(1000.0 / frames_per_second) : 0.0f;
}

}  // namespace viewer
