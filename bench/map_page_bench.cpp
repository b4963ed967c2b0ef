// The map page on a one-hour track (36 000 fixes), in the browser engine and
// offline: CreateLine + CreateGridLine, and one MoveMarker, each timed inside
// the page with performance.now() up to the lines drawn on their canvases
// (Leaflet defers that drawing to the next animation frame; the timed script
// runs it at once).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <QtTest/QTest>
#include <cstdio>

#include "mapview/ui/CGoogleMapDlg2.h"
#include "mapview/ui/MapRequestInterceptor.h"
#include "mapview/ui/MapScheme.h"
#include "mapview/ui/MapWebPage.h"
#include "tools/mapdemo/DemoMapSink.h"

namespace {

constexpr char kDrawNow[] =
    "Object.keys(g_map._renderers).forEach(function (z) { var r = g_map._renderers[z];"
    "if (r._redrawRequest) { L.Util.cancelAnimFrame(r._redrawRequest); r._redraw(); } });";

struct Page {
  mapdemo::DemoMapSink sink;
  mapview::CGoogleMapDlg2* window = nullptr;
};

Page& OneHourPage() {
  static Page page;
  static const bool ready = [] {
    page.sink.track = mapdemo::DemoTrack(36000, 0.1);
    page.sink.frame = 18000;
    page.window = new mapview::CGoogleMapDlg2(nullptr, &page.sink, mapview::MapTileSetting{"", "", 19});
    page.sink.window = page.window;
    page.window->set_start_timeout_ms(120000);
    page.window->interceptor()->set_offline(true);
    page.window->resize(452, 368);
    page.window->show();
    return QTest::qWaitFor([] { return page.sink.init_html > 0; }, 120000);
  }();
  if (!ready) std::fprintf(stderr, "map_page_bench: the map page did not start\n");
  return page;
}

// Milliseconds the page measured for the script; negative when it failed.
double PageMilliseconds(Page& page, const QString& timed) {
  double ms = -1.0;
  QEventLoop loop;
  page.window->page()->runJavaScript(
      QStringLiteral("(function () { var t0 = performance.now(); %1 %2 return performance.now() - t0; })()")
          .arg(timed, QLatin1String(kDrawNow)),
      [&](const QVariant& value) {
        bool ok = false;
        const double read = value.toDouble(&ok);
        if (ok) ms = read;
        loop.quit();
      });
  QTimer::singleShot(30000, &loop, &QEventLoop::quit);
  loop.exec();
  return ms;
}

void Time(benchmark::State& state, const QString& script) {
  Page& page = OneHourPage();
  for (auto _ : state) {
    const double ms = PageMilliseconds(page, script);
    if (ms < 0) {
      state.SkipWithError("the page did not answer");
      return;
    }
    state.SetIterationTime(ms / 1000.0);
  }
}

void BM_CreateLineAndGridLineOneHour(benchmark::State& state) {
  Time(state, QStringLiteral("orbitgrplist.CreateLine(); orbitgrplist.CreateGridLine(0);"));
}
BENCHMARK(BM_CreateLineAndGridLineOneHour)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_MoveMarkerOneHour(benchmark::State& state) {
  Page& page = OneHourPage();
  page.window->ExecScript("orbitgrplist.CreateLine(); orbitgrplist.CreateGridLine(0)");
  int frame = 0;
  for (auto _ : state) {
    // A new frame each time, as in playback.
    page.sink.frame = (frame += 997) % 36000;
    const double ms = PageMilliseconds(page, QStringLiteral("orbitgrplist.MoveMarker();"));
    if (ms < 0) {
      state.SkipWithError("the page did not answer");
      return;
    }
    state.SetIterationTime(ms / 1000.0);
  }
}
BENCHMARK(BM_MoveMarkerOneHour)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(30);

}  // namespace

int main(int argc, char** argv) {
  mapview::RegisterMapScheme();
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  delete OneHourPage().window;
  return 0;
}
