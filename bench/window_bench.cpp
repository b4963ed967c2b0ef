// The main window on a 1080p pair: from a selected row to both views showing
// the recording's first frame, and the CPU the whole window takes to play.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "bench/BenchFiles.h"
#include "library/ui/CFilerContainerDlg.h"
#include "viewer/settings/FolderIni.h"
#include "viewer/window/CQuorbexDlg.h"
#include "viewer/window/RecordingOpener.h"
#include "viewer/window/WindowTimers.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// The 10 s 1080p recording the player benchmarks play.
const samplecard::WrittenRecording& Recording1080() { return bench::Card1080("hd", 1, 10).front(); }

// Notes when the open delay (timer 101) runs out: the moment the open
// itself starts, whatever the timer's slack.
class OpenTimerWatch : public QObject {
 public:
  OpenTimerWatch() { qApp->installEventFilter(this); }
  ~OpenTimerWatch() override { qApp->removeEventFilter(this); }
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Timer) {
      auto* timer = qobject_cast<QTimer*>(watched);
      if (timer != nullptr && timer->isSingleShot() && timer->interval() == viewer::WindowTimers::PeriodMs(viewer::WindowTimers::kOpenDelay)) {
        fired = Clock::now();
      }
    }
    return false;
  }
  Clock::time_point fired{};
};

// A window started on settings of its own, the recording's card listed.
class WindowOnCard {
 public:
  WindowOnCard() {
    fs::create_directories(dir_ / "start");
    viewer::InitializeSettings(dir_ / "start", dir_ / "config");
    window_.InitDialog();
    window_.show();
    QCoreApplication::processEvents();  // the deferred initialisation
    const fs::path& main = Recording1080().main_path;
    window_.filer()->OpenSource(main.parent_path().parent_path().parent_path(), library::SourceKind::kCard);
    const auto& rows = window_.filer()->list()->rows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
      if (fs::path(rows[i].path) == main) row_ = static_cast<int>(i);
    }
  }
  ~WindowOnCard() {
    window_.Shutdown();
    fs::remove_all(dir_);
  }
  // Selects the recording's row as a click does, even when it is the current one.
  void Select() {
    window_.filer()->set_reopen(true);
    window_.filer()->list()->on_row_selected(row_);
  }
  // Runs the event loop until done holds; false after the timeout.
  static bool Until(const std::function<bool()>& done, std::chrono::milliseconds timeout = 10s) {
    const auto until = Clock::now() + timeout;
    while (!done()) {
      if (Clock::now() > until) return false;
      QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
      std::this_thread::sleep_for(500us);
    }
    return true;
  }
  viewer::CQuorbexDlg& window() { return window_; }
  int row() const { return row_; }

 private:
  fs::path dir_ = fs::temp_directory_path() / ("brennovale-window-bench-" + std::to_string(::getpid()));
  viewer::CQuorbexDlg window_;
  int row_ = -1;
};

// From the selection to both views showing the recording's first pictures,
// opening the recording again each time (the previous open still playing),
// with the files in the page cache. Reported: the whole time minus the 500 ms
// delay every selection waits for, and the time from the delay's end (the
// open itself, media ready, frame 0 presented).
void BM_SelectionToFrameZero1080p(benchmark::State& state) {
  WindowOnCard w;
  if (w.row() < 0) {
    state.SkipWithError("the recording is not listed");
    return;
  }
  player::ViewPair& views = w.window().views();
  std::vector<double> total_ms, open_ms, call_ms, ready_ms;
  int first_front = -1, first_rear = -1, worst_first = 0;
  for (auto _ : state) {
    OpenTimerWatch watch;
    const auto selected = Clock::now();
    w.Select();
    // The phases after the delay: the open call on the UI thread (the previous
    // recording closed, the new one opened) and both views' media ready.
    Clock::time_point returned{}, ready{};
    const bool shown = WindowOnCard::Until([&] {
      if (watch.fired == Clock::time_point{}) return false;
      if (returned == Clock::time_point{}) returned = Clock::now();
      if (ready == Clock::time_point{} && views.media_ready()) ready = Clock::now();
      return views.view(0).FrameOnScreen().frame >= 0 && views.view(1).FrameOnScreen().frame >= 0;
    });
    const auto done = Clock::now();
    if (!shown) {
      state.SkipWithError("the recording never showed");
      return;
    }
    first_front = views.view(0).FrameOnScreen().frame;
    first_rear = views.view(1).FrameOnScreen().frame;
    worst_first = std::max({worst_first, first_front, first_rear});
    total_ms.push_back(bench::Seconds(done - selected) * 1000 - viewer::WindowTimers::PeriodMs(viewer::WindowTimers::kOpenDelay));
    open_ms.push_back(bench::Seconds(done - watch.fired) * 1000);
    call_ms.push_back(bench::Seconds(returned - watch.fired) * 1000);
    ready_ms.push_back(bench::Seconds((ready == Clock::time_point{} ? done : ready) - watch.fired) * 1000);
    // Let it play a little, as a user looks before the next click.
    WindowOnCard::Until([] { return false; }, 300ms);
  }
  for (auto* v : {&total_ms, &open_ms, &call_ms, &ready_ms}) std::sort(v->begin(), v->end());
  state.counters["minus_delay_median_ms"] = total_ms[total_ms.size() / 2];
  state.counters["minus_delay_worst_ms"] = total_ms.back();
  state.counters["from_delay_end_median_ms"] = open_ms[open_ms.size() / 2];
  state.counters["from_delay_end_worst_ms"] = open_ms.back();
  state.counters["open_call_median_ms"] = call_ms[call_ms.size() / 2];
  state.counters["media_ready_median_ms"] = ready_ms[ready_ms.size() / 2];
  // The frame each view showed first (0 when the open shows the start).
  state.counters["first_frame_worst"] = worst_first;
}
BENCHMARK(BM_SelectionToFrameZero1080p)->Iterations(10)->Unit(benchmark::kMillisecond);

// The whole window playing the 1080p pair at x1 for 5 s (both views decode
// and present, the window paints them): CPU time of the process, all
// threads, per second of playback. Compare with cpu_percent of
// BM_PlayPairFromTheStart in player_bench, the players alone.
void BM_WindowPlaying1080p(benchmark::State& state) {
  WindowOnCard w;
  if (w.row() < 0) {
    state.SkipWithError("the recording is not listed");
    return;
  }
  player::ViewPair& views = w.window().views();
  double cpu = 0, wall = 0;
  int from = 0, to = 0;
  for (auto _ : state) {
    w.Select();
    if (!WindowOnCard::Until([&] { return w.window().loaded() && views.view(0).FrameOnScreen().frame >= 0; })) {
      state.SkipWithError("the recording never played");
      return;
    }
    from = views.view(0).FrameOnScreen().frame;
    const double cpu_start = bench::CpuSeconds();
    const auto start = Clock::now();
    QEventLoop loop;
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    loop.exec();
    cpu = bench::CpuSeconds() - cpu_start;
    wall = bench::Seconds(Clock::now() - start);
    to = views.view(0).FrameOnScreen().frame;
  }
  state.counters["cpu_percent"] = 100 * cpu / wall;
  state.counters["cpu_s_per_playback_s"] = cpu / wall;
  // Frames played meanwhile (about 150 at x1): the window did not stall.
  state.counters["frames_played"] = to - from;
}
BENCHMARK(BM_WindowPlaying1080p)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
