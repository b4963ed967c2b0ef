#include "viewer/window/DeleteCommand.h"

#include <charconv>
#include <string>
#include <thread>
#include <vector>

#include "library/RecordingNames.h"
#include "library/ui/CFilerContainerDlg.h"
#include "platform/FileSystem.h"
#include "viewer/commands/Controls.h"
#include "viewer/commands/FileJobContext.h"
#include "viewer/settings/UiTextTable.h"
#include "viewer/window/CQuorbexDlg.h"
#include "viewer/window/FileWorkerHost.h"
#include "viewer/window/RecordingOpener.h"
#include "viewer/window/WindowHooks.h"

namespace viewer {
namespace {

constexpr int kDeleteFailedText = 97;
constexpr int kConfirmCaption = 106;

std::string HowManyQuestion(std::size_t count) {
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, count).ptr;
  return "選択した録画" + std::string(digits, end) + "件を削除します。よろしいですか？";
}

// Drops the row of path from the list view (UI thread); the entries follow
// when the list is reloaded at the end.
void RemoveRow(CQuorbexDlg& window, const std::string& path) {
  library::CFileListCtrl* list = window.filer()->list();
  std::vector<library::RecordingEntry> rows = list->rows();
  std::erase_if(rows, [&](const library::RecordingEntry& e) { return e.path == path; });
  list->SetRows(std::move(rows));
}

FileJobOutcome DeleteChosen(FileJobContext& context, CQuorbexDlg& window, const std::string& closed_path,
                            std::chrono::milliseconds release_wait) {
  FileJobOutcome outcome;
  const auto chosen = context.select_files(FileSelectMode::kDelete, context.entries());
  if (!chosen || chosen->empty()) return outcome;
  if (!context.question(HowManyQuestion(chosen->size()), std::string(UiText(kConfirmCaption)))) return outcome;
  const auto total = static_cast<std::int64_t>(chosen->size());
  std::int64_t done = 0;
  context.progress(0, total);
  for (auto it = chosen->rbegin(); it != chosen->rend() && !context.stop_requested(); ++it) {
    // Its players were closed before the worker started; give them time
    // to let go of the files.
    if (it->path == closed_path) std::this_thread::sleep_for(release_wait);
    // A release that reports success while the main file stays is a
    // failure too.
    if (!library::ReleaseRecording(it->path) || platform::Fs().Exists(it->path)) {
      context.message(std::string(UiText(kDeleteFailedText)) + "\n" + it->name, "ERROR");
      break;
    }
    ++done;
    context.on_ui_thread([&window, path = it->path] { RemoveRow(window, path); });
    context.progress(done, total);
  }
  outcome.started = done > 0;
  outcome.list_changed = done > 0;
  outcome.completed = done == total;
  return outcome;
}

}  // namespace

DeleteCommand::DeleteCommand(CQuorbexDlg& window) : window_(window) {
  ChainCommand(window_, [this](int command) {
    if (command != CommandOf(Control::kDelete)) return false;
    Run();
    return true;
  });
}

void DeleteCommand::Run() {
  if (window_.files().running()) return;
  player::ViewPair& views = window_.views();
  if (!window_.files().GuardAllows()) return;
  // Nothing may hold the files while they go.
  const int row = window_.filer()->current_row();
  const auto& rows = window_.filer()->list()->rows();
  const std::string closed =
      row >= 0 && static_cast<std::size_t>(row) < rows.size() ? rows[static_cast<std::size_t>(row)].path : std::string();
  if (views.rate_code() != 1) views.SetRate(1);
  views.Seek(0);
  views.Stop();
  window_.opener().CloseRecording();
  window_.SetPlayButton(false);
  window_.files().Start(
      [&window = window_, closed, wait = release_wait_](FileJobContext& context) {
        return DeleteChosen(context, window, closed, wait);
      },
      FileWorkerHost::Resume::kReopen);
}

}  // namespace viewer
