#pragma once

namespace viewer {

// The quality code kept in a recording's list entry: 1, 3 or 5 for 360, 720
// and 1080 lines, one more when the sensor data's quality letter is not 'H';
// 0 for any other height.
int QualityCode(int video_height, char quality_letter);

// Milliseconds per frame at a frame rate; 0 when the rate is unknown.
float FramePeriodMs(double frames_per_second);

}  // namespace viewer
