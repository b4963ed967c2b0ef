// Writes a picture of the web map window (452 x 368, the map's place in the
// main window) offline: a drive of the sample card's model, played up to
// its middle, with the position marker and one event marker of each kind
// group. Usage: map-web-shot OUT.png
#include <QApplication>
#include <QImage>
#include <QTimer>
#include <QtTest/QTest>
#include <charconv>
#include <cstdio>
#include <string>

#include "mapview/ui/CGoogleMapDlg2.h"
#include "mapview/ui/MapRequestInterceptor.h"
#include "mapview/ui/MapScheme.h"
#include "tools/mapdemo/DemoMapSink.h"

namespace {

std::string Number(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: map-web-shot OUT.png\n");
    return 2;
  }
  mapview::RegisterMapScheme();
  QApplication app(argc, argv);
  mapdemo::DemoMapSink sink;
  sink.track = mapdemo::DemoTrack(240, 1.0);
  const int frame = static_cast<int>(sink.track.size() / 2);
  sink.frame = frame;
  mapview::CGoogleMapDlg2 window(nullptr, &sink, mapview::MapTileSetting{"", "", 19});
  sink.window = &window;
  window.interceptor()->set_offline(true);
  window.resize(452, 368);
  window.show();
  if (!QTest::qWaitFor([&] { return sink.init_html > 0; }, 30000)) {
    std::fprintf(stderr, "map-web-shot: the map page did not start\n");
    return 1;
  }
  const recording::GpsSample& here = sink.track[static_cast<std::size_t>(frame - 1)];
  sink.lat = here.latitude;
  sink.lng = here.longitude;
  window.UpdateData(here.latitude, here.longitude, "");
  window.SetOnlineMark(false);
  window.ExecScript("cplist.ClearCrashPos()");
  window.ExecScript("orbitgrplist.RemoveLineList()");
  window.ExecScript("orbitgrplist.CreateLine()");
  window.ExecScript("orbitgrplist.CreateGridLine(0)");
  const int kinds[] = {2, 5, 8, 6};
  const int at[] = {40, 80, 150, 200};
  for (int i = 0; i < 4; ++i) {
    const recording::GpsSample& fix = sink.track[static_cast<std::size_t>(at[i])];
    window.ExecScript("cplist.AddCrashPos(" + std::to_string(kinds[i]) + ",0,0,0,0,0," + std::to_string(at[i]) + "," +
                      Number(fix.latitude) + "," + Number(fix.longitude) + ",1,0,0)");
  }
  // Zoomed out far enough for the whole drive, then back on the marker.
  window.ExecScript("g_map.setZoom(15); orbitgrplist.MoveMarker()");
  QTest::qWait(2500);
  const QImage picture = window.grab().toImage();
  if (picture.isNull() || !picture.save(QString::fromLocal8Bit(argv[1]))) {
    std::fprintf(stderr, "map-web-shot: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
