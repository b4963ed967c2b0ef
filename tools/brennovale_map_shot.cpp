// Draws the native map window on the sample card's drive and saves its
// picture: two recordings with a gap between them (a tunnel), the second one
// playing half-way, and a few event markers. Usage: brennovale-map-shot OUT.png
#include <QApplication>
#include <QImage>
#include <array>
#include <charconv>
#include <cstdio>
#include <string>

#include "mapview/MapSink.h"
#include "tools/samplecard/DriveModel.h"
#include "mapview/ui/CGoogleMapDlg.h"

namespace {

class DriveSink : public mapview::MapSink {
 public:
  DriveSink() {
    // The sample card's drive, one fix a second; the car goes through a
    // tunnel between the recordings (no fixes for 40 s).
    samplecard::DriveModel drive(7);
    for (int t = 0; t < 400; ++t) {
      const samplecard::DriveModel::State state = drive.At(t, false);
      if (t >= 180 && t < 220) continue;
      recording::GpsSample s;
      s.latitude = state.latitude;
      s.longitude = state.longitude;
      s.speed = state.speed_kmh;
      s.fix_valid = 1;
      s.time = (t < 180 ? t : t - 220) * 15;  // frames of its own recording, 15 a second
      (t < 180 ? first_ : second_).push_back(s);
    }
  }

  int ConnectTest() override { return 1; }
  void OnInitHtml() override {}
  std::string GetMapURL() override { return {}; }
  std::vector<recording::GpsSample> GetGPSData() override {
    auto all = first_;
    all.insert(all.end(), second_.begin(), second_.end());
    return all;
  }
  std::optional<std::vector<recording::GpsSample>> GetGridData() override { return second_; }
  int GetRelJpgNum() override { return 90 * 15; }
  void OnClickCrashPoint(int, int, int, int, double, double, double, double) override {}
  bool SetSend() override { return false; }

  const std::vector<recording::GpsSample>& first() const { return first_; }
  const std::vector<recording::GpsSample>& second() const { return second_; }

 private:
  std::vector<recording::GpsSample> first_;
  std::vector<recording::GpsSample> second_;
};

// The host's statement, its numbers written independently of the locale.
std::string Event(int kind, const recording::GpsSample& at, int ipos) {
  const auto fixed = [](double v) {
    std::array<char, 64> digits{};
    const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), v, std::chars_format::fixed, 6).ptr;
    return std::string(digits.data(), end);
  };
  return "cplist.AddCrashPos(" + std::to_string(kind) + ",0.000000,0.000000,0.000000,0,0," + std::to_string(ipos) +
         "," + fixed(at.latitude) + "," + fixed(at.longitude) + ",1,0.000000,0.000000)";
}

}  // namespace

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: brennovale-map-shot OUT.png\n");
    return 2;
  }
  DriveSink sink;
  mapview::CGoogleMapDlg map(nullptr, &sink);
  map.resize(452, 368);
  map.ExecScript("orbitgrplist.RemoveLineList()");
  map.ExecScript("orbitgrplist.CreateLine()");
  map.ExecScript("orbitgrplist.CreateGridLine(0)");
  map.ExecScript("cplist.ClearCrashPos()");
  map.ExecScript(Event(5, sink.first()[60], 60 * 15));
  map.ExecScript(Event(2, sink.second()[40], 40 * 15));
  map.ExecScript(Event(8, sink.second()[125], 125 * 15));
  map.ExecScript(Event(9, sink.second()[170], 170 * 15));
  QImage image(map.size(), QImage::Format_RGB32);
  map.render(&image);
  if (!image.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
    std::fprintf(stderr, "brennovale-map-shot: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
