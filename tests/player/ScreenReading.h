#pragma once

#include <QImage>
#include <QRectF>
#include <chrono>
#include <filesystem>
#include <vector>

#include "platform/RecordingSink.h"
#include "player/MovieView.h"
#include "tools/samplecard/SampleCard.h"

// What the player tests read off a view: the frame number in the strip of the
// picture on screen, and the picture's pixels. A label or a counter the
// player keeps proves nothing about what the user sees.
namespace player::screen {

// Two recordings of 2 s at 320 x 180, a key frame every 10 frames, the rear
// camera at 15 fps. Written once per test program.
const std::vector<samplecard::WrittenRecording>& Card();
// A card written with these options into a folder that lives as long as the
// test program.
std::vector<samplecard::WrittenRecording> MakeCard(const samplecard::CardOptions& options);
// One recording of that many seconds at 30 fps, a key frame every 10 frames;
// written once per length.
const samplecard::WrittenRecording& Clip(int seconds);

// The frame number the strip of a picture reads; -2 for no picture, -1 when
// the strip does not read (a black or a foreign picture).
int StripOf(const QImage& picture);
// The picture the view paints into a window of its native size.
QImage OnScreen(MovieView& view);
// The strip of that picture.
int StripOnScreen(MovieView& view);
// Waits until the strip on screen reads frame; returns what it read last.
int WaitForStrip(MovieView& view, int frame, std::chrono::milliseconds timeout);
// Opens path and waits for the view's ready message.
bool OpenAndWait(MovieView& view, platform::RecordingSink& sink, const std::filesystem::path& path);

// The part source (fractions of the picture) of frame, enlarged to size on
// its own: what a zoomed view should show.
QImage Enlarged(const QImage& frame, const QRectF& source, const QSize& size);
// The mean absolute difference of the grey levels of two pictures of the
// same size (0 to 255); 255 when the sizes differ.
double MeanDifference(const QImage& a, const QImage& b);

// The rear camera's frame for the front camera's frame f: the integer part of
// the same moment in the rear camera's frames, from the files' integer
// timescales (f itself at equal rates).
int RearFrameOfMoment(int front_frame, double front_fps, double rear_fps);

// How far frame lies outside [low, high]; 0 inside.
int FramesOutside(int frame, int low, int high);
// Frames of a camera at fps that one picture may stay behind its clock at
// speed on a machine starved of processor time (seen up to about 220 ms of
// wall time with every core busy): a bound for single samples only.
int StarvedLagFrames(double speed, double fps);

// What was on screen at one moment of a playing view.
struct Sample {
  std::chrono::steady_clock::time_point at;
  int strip = -2;
};
// The strip on screen every period, for the given time.
std::vector<Sample> SampleStrips(MovieView& view, std::chrono::milliseconds duration,
                                 std::chrono::milliseconds period = std::chrono::milliseconds(5));

// The speed a run of samples shows: media seconds per wall second, by a
// least squares fit of the frame numbers against the wall clock.
double MediaSpeed(const std::vector<Sample>& samples, double frames_per_second);

}  // namespace player::screen
