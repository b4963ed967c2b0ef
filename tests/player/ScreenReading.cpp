#include "ScreenReading.h"

#include <cmath>
#include <map>
#include <memory>
#include <stdexcept>
#include <thread>

#include "TestFiles.h"
#include "tools/samplecard/FrameStamp.h"

namespace player::screen {

std::vector<samplecard::WrittenRecording> MakeCard(const samplecard::CardOptions& options) {
  // Removed when the test program ends.
  static std::vector<std::unique_ptr<testfiles::TempDir>> dirs;
  dirs.push_back(std::make_unique<testfiles::TempDir>());
  auto written = samplecard::WriteSampleCard(dirs.back()->path(), options);
  if (!written) throw std::runtime_error(written.error());
  return written.take();
}

const samplecard::WrittenRecording& Clip(int seconds) {
  static std::map<int, samplecard::WrittenRecording> clips;
  auto it = clips.find(seconds);
  if (it == clips.end()) {
    samplecard::CardOptions o;
    o.recordings = 1;
    o.seconds = seconds;
    o.gop = 10;
    it = clips.emplace(seconds, MakeCard(o).front()).first;
  }
  return it->second;
}

const std::vector<samplecard::WrittenRecording>& Card() {
  static const auto card = [] {
    samplecard::CardOptions o;
    o.recordings = 2;
    o.seconds = 2;
    o.gop = 10;
    o.sub_fps = 15;
    return MakeCard(o);
  }();
  return card;
}

int StripOf(const QImage& picture) {
  if (picture.isNull()) return -2;
  const QImage gray = picture.convertToFormat(QImage::Format_Grayscale8);
  return samplecard::ReadFrameNumber(gray.constBits(), gray.width(), gray.height(),
                                     static_cast<int>(gray.bytesPerLine()));
}

QImage OnScreen(MovieView& view) {
  const QSize size = view.VideoSize();
  return view.Compose(size.isEmpty() ? QSize(320, 180) : size);
}

int StripOnScreen(MovieView& view) { return StripOf(OnScreen(view)); }

int WaitForStrip(MovieView& view, int frame, std::chrono::milliseconds timeout) {
  const auto until = std::chrono::steady_clock::now() + timeout;
  int seen = StripOnScreen(view);
  while (seen != frame && std::chrono::steady_clock::now() < until) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    seen = StripOnScreen(view);
  }
  return seen;
}

bool OpenAndWait(MovieView& view, platform::RecordingSink& sink, const std::filesystem::path& path) {
  sink.Clear();
  if (view.Open(path) != S_OK) return false;
  return sink.WaitFor(WM_PLAYER_READY, std::chrono::seconds(5)) && view.media_ready();
}

QImage Enlarged(const QImage& frame, const QRectF& source, const QSize& size) {
  const QRect part(static_cast<int>(std::lround(source.x() * frame.width())),
                   static_cast<int>(std::lround(source.y() * frame.height())),
                   static_cast<int>(std::lround(source.width() * frame.width())),
                   static_cast<int>(std::lround(source.height() * frame.height())));
  return frame.copy(part)
      .scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
      .convertToFormat(QImage::Format_RGB32);
}

double MeanDifference(const QImage& a, const QImage& b) {
  if (a.size() != b.size() || a.isNull()) return 255.0;
  const QImage ga = a.convertToFormat(QImage::Format_Grayscale8);
  const QImage gb = b.convertToFormat(QImage::Format_Grayscale8);
  double sum = 0;
  for (int y = 0; y < ga.height(); ++y) {
    const uchar* la = ga.constScanLine(y);
    const uchar* lb = gb.constScanLine(y);
    for (int x = 0; x < ga.width(); ++x) sum += std::abs(int(la[x]) - int(lb[x]));
  }
  return sum / (double(ga.width()) * ga.height());
}

int RearFrameOfMoment(int front_frame, double front_fps, double rear_fps) {
  std::uint32_t front_scale = 0, front_delta = 0, rear_scale = 0, rear_delta = 0;
  samplecard::RateToTimescale(front_fps, &front_scale, &front_delta);
  samplecard::RateToTimescale(rear_fps, &rear_scale, &rear_delta);
  return static_cast<int>(std::int64_t{front_frame} * front_delta * rear_scale /
                          (std::int64_t{front_scale} * rear_delta));
}

int FramesOutside(int frame, int low, int high) { return frame < low ? low - frame : frame > high ? frame - high : 0; }

int StarvedLagFrames(double speed, double fps) { return 2 + static_cast<int>(std::ceil(0.3 * speed * fps)); }

std::vector<Sample> SampleStrips(MovieView& view, std::chrono::milliseconds duration,
                                 std::chrono::milliseconds period) {
  std::vector<Sample> samples;
  const auto until = std::chrono::steady_clock::now() + duration;
  while (std::chrono::steady_clock::now() < until) {
    const int strip = StripOnScreen(view);
    samples.push_back({std::chrono::steady_clock::now(), strip});
    std::this_thread::sleep_for(period);
  }
  return samples;
}

double MediaSpeed(const std::vector<Sample>& samples, double frames_per_second) {
  double n = 0, st = 0, sf = 0, stt = 0, stf = 0;
  for (const Sample& s : samples) {
    if (s.strip < 0) continue;
    const double t = std::chrono::duration<double>(s.at - samples.front().at).count();
    n += 1;
    st += t;
    sf += s.strip;
    stt += t * t;
    stf += t * s.strip;
  }
  if (n < 2 || n * stt == st * st) return 0.0;
  return (n * stf - st * sf) / (n * stt - st * st) / frames_per_second;
}

}  // namespace player::screen
