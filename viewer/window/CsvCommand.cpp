#include "viewer/window/CsvCommand.h"

#include <string>

#include "library/ui/CFilerContainerDlg.h"
#include "viewer/commands/Controls.h"
#include "viewer/commands/CsvEncoder.h"
#include "viewer/commands/CsvExportJob.h"
#include "viewer/commands/FileJobContext.h"
#include "viewer/settings/FolderIni.h"
#include "viewer/settings/UiTextTable.h"
#include "viewer/window/CQuorbexDlg.h"
#include "viewer/window/FileWorkerHost.h"
#include "viewer/window/RecordingOpener.h"
#include "viewer/window/WindowHooks.h"

namespace viewer {
namespace {

constexpr int kPromptText = 103;
constexpr int kConfirmCaption = 106;

// The export's requests, made on the worker thread, through the worker's
// context: dialogs and settings writes on the UI thread, Cancel after a stop.
class WorkerCsvHost : public CsvJobHost {
 public:
  WorkerCsvHost(FileJobContext& context, CQuorbexDlg& window) : context_(context), window_(window) {}

  std::string PickFolder() override { return context_.ask_folder(kKeyCsvFolder, kPromptText); }
  bool Ask(int text) override { return context_.question(text, kConfirmCaption); }
  void ShowError(int text, const std::string& detail) override {
    std::string message(UiText(text));
    if (!detail.empty()) message.append("\n").append(detail);
    context_.message(message, "ERROR");
  }
  void ReleaseRecording() override {
    context_.on_ui_thread([&window = window_] {
      window.opener().CloseRecording();
      window.RepaintVideos();
    });
  }
  void Progress(std::size_t done, std::size_t total) override {
    context_.progress(static_cast<std::int64_t>(done), static_cast<std::int64_t>(total));
  }
  bool StopRequested() override { return context_.stop_requested(); }
  void Completed(const std::string& folder) override {
    context_.write_setting(kSectionFolderPath, kKeyCsvFolder, folder);
  }

 private:
  FileJobContext& context_;
  CQuorbexDlg& window_;
};

FileJobOutcome ExportList(FileJobContext& context, CQuorbexDlg& window, CsvEncoding encoding) {
  WorkerCsvHost host(context, window);
  const CsvJobOutcome result = RunCsvExportJob(host, context.entries(), encoding);
  FileJobOutcome outcome;
  // The players were let go of once the question was past.
  outcome.started = result != CsvJobOutcome::kCancelled && result != CsvJobOutcome::kNoRecordings;
  outcome.completed = result == CsvJobOutcome::kWritten;
  return outcome;
}

}  // namespace

CsvCommand::CsvCommand(CQuorbexDlg& window) : window_(window) {
  ChainCommand(window_, [this](int command) {
    if (command != CommandOf(Control::kCsv)) return false;
    Run();
    return true;
  });
}

void CsvCommand::Run() {
  FileWorkerHost& files = window_.files();
  if (files.running()) return;
  if (!window_.filer()->list()->rows().empty() && !files.GuardAllows()) return;
  player::ViewPair& views = window_.views();
  if (views.state() == player::MovieView::ViewState::kPlaying) {
    views.Pause();
    window_.SetPlayButton(false);
  }
  // Read here: the worker never reads or writes the settings itself.
  const CsvEncoding encoding = CsvEncodingSetting();
  files.Start([&window = window_, encoding](FileJobContext& context) { return ExportList(context, window, encoding); },
              FileWorkerHost::Resume::kReopenAtPosition);
}

}  // namespace viewer
