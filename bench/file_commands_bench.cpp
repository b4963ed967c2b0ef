// Joining recordings of about 100 MB per camera through the main window's
// join command (file selection, folder picker, worker, progress bar, end
// step), against brennovale-join on the same files. The file selection
// dialog takes at most 1024 MB (front and rear counted) for a join: five.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDialog>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "bench/BenchFiles.h"
#include "library/ui/CFileSelectDlg.h"
#include "library/ui/CFilerContainerDlg.h"
#include "viewer/commands/Controls.h"
#include "viewer/settings/FolderIni.h"
#include "viewer/skin/CMsgBox.h"
#include "viewer/window/CQuorbexDlg.h"
#include "viewer/window/FileWorkerHost.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kJoined = 5;

double SecondsOf(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

void BM_JoinCommandAgainstTheTool(benchmark::State& state) {
  const fs::path in = bench::JoinInputs();
  const fs::path root = in.parent_path() / "command";
  fs::remove_all(root);
  fs::create_directories(root / "start");
  viewer::InitializeSettings(root / "start", root / "config");
  viewer::CMsgBox::SetRunner([](viewer::CMsgDlg& box) {
    std::fprintf(stderr, "%s\n", box.message()->text().toUtf8().constData());
    return static_cast<int>(QDialog::Accepted);
  });
  viewer::CQuorbexDlg window;
  window.InitDialog();
  window.show();
  QCoreApplication::processEvents();  // the deferred initialisation
  // Listed as a card: the inputs are its Normal folder.
  fs::create_directories(root / "card" / "Parking");
  fs::create_directory_symlink(in, root / "card" / "Normal");
  window.filer()->OpenSource(root / "card", library::SourceKind::kCard);
  for (int i = 0; i < 2000 && window.filer()->list()->rows().empty(); ++i) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  const fs::path out = root / "out";
  window.files().set_folder_runner(
      [&](QWidget*, const QString&, const QString&) { return QString::fromStdString(out.string()); });
  window.files().set_file_select_runner([](library::CFileSelectDlg& d) {
    for (int r = 0; r < kJoined; ++r) d.ToggleRow(r);
    d.accept();
    return static_cast<int>(QDialog::Accepted);
  });
  double command = 0, tool = 0;
  for (auto _ : state) {
    // Both read the inputs from the page cache.
    std::system(("cat '" + in.string() + "'/*/* >/dev/null").c_str());
    for (const fs::path& folder : {out, root / "tool"}) {
      fs::remove_all(folder);
      fs::create_directories(folder);
    }
    // Neither pays for the other's writes still going to the disk.
    std::system("sync");
    const auto start = Clock::now();
    window.OnCommand(viewer::CommandOf(viewer::Control::kJoin));
    while (window.files().running()) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    command = SecondsOf(start);
    if (!fs::exists(out / (bench::JoinInputBase(0) + "M.MOV"))) {
      std::fprintf(stderr, "the join wrote nothing (%zu rows listed)\n", window.filer()->list()->rows().size());
      std::abort();
    }

    std::string run = std::string(BRENNOVALE_JOIN_TOOL) + " --force '" +
                      (root / "tool" / (bench::JoinInputBase(0) + "M.MOV")).string() + "'";
    for (int i = 0; i < kJoined; ++i) {
      run += " '" + (in / "Main" / (bench::JoinInputBase(i) + "M.MOV")).string() + "'";
    }
    std::system("sync");
    const auto tool_start = Clock::now();
    if (std::system((run + " >/dev/null").c_str()) != 0) std::abort();
    tool = SecondsOf(tool_start);
  }
  window.Shutdown();
  state.counters["command_s"] = command;
  state.counters["tool_s"] = tool;
  state.counters["command_vs_tool"] = command / tool;
  state.counters["input_MB"] =
      static_cast<double>(kJoined) *
      static_cast<double>(fs::file_size(in / "Main" / (bench::JoinInputBase(0) + "M.MOV")) +
                          fs::file_size(in / "Sub_" / (bench::JoinInputBase(0) + "S.MOV"))) / 1e6;
}
BENCHMARK(BM_JoinCommandAgainstTheTool)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
