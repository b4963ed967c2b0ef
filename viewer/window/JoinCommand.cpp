#include "viewer/window/JoinCommand.h"

#include <string>
#include <system_error>
#include <vector>

#include "library/ui/CFilerContainerDlg.h"
#include "recording/RecordingJoin.h"
#include "viewer/commands/Controls.h"
#include "viewer/commands/FileJobContext.h"
#include "viewer/commands/JoinChecks.h"
#include "viewer/settings/UiTextTable.h"
#include "viewer/window/CQuorbexDlg.h"
#include "viewer/window/FileWorkerHost.h"
#include "viewer/window/RecordingOpener.h"
#include "viewer/window/WindowHooks.h"

namespace viewer {
namespace {

constexpr int kJoinFailedText = 95;
constexpr int kExistsText = 93;
constexpr int kConfirmCaption = 106;

std::optional<std::uint64_t> AvailableBytes(const std::filesystem::path& folder) {
  std::error_code ec;
  const std::filesystem::space_info space = std::filesystem::space(folder, ec);
  if (ec) return std::nullopt;
  return space.available;
}

FileJobOutcome JoinChosen(FileJobContext& context, CQuorbexDlg& window, const JoinCommand::FreeSpace& free_space) {
  FileJobOutcome outcome;
  const auto chosen = context.select_files(FileSelectMode::kJoin, context.entries());
  if (!chosen || chosen->empty()) return outcome;
  const std::string folder = context.ask_folder("CONNECT_FOLDER");
  if (folder.empty()) return outcome;
  const std::filesystem::path output = std::filesystem::path(folder) / chosen->front().name;
  auto fail = [&](const std::string& why) {
    std::string text(UiText(kJoinFailedText));
    if (!why.empty()) text.append("\n").append(why);
    context.message(text, "ERROR");
    return outcome;
  };
  // The output exists there because it is an input: refused before the
  // question, which would offer to replace it.
  if (JoinOutputIsAnInput(output, *chosen)) return fail({});
  if (JoinOutputExists(output) && !context.question(kExistsText, kConfirmCaption)) return outcome;
  if (!JoinedFrontFits(*chosen) || !JoinSpaceSuffices(JoinedBytes(*chosen), free_space(folder))) return fail({});

  // The players let go of the files before they are read for the join.
  if (!context.on_ui_thread([&window] {
        window.opener().CloseRecording();
        window.RepaintVideos();
      })) {
    return outcome;
  }
  outcome.started = true;
  outcome.rewind = true;
  const auto total = static_cast<std::int64_t>(chosen->size());
  recording::RecordingJoin join(&context.window());  // its write posts 0x8008 too
  bool ok = join.Start(chosen->front().path);
  context.progress(1, total);
  for (std::size_t i = 1; ok && i < chosen->size() && !context.stop_requested(); ++i) {
    ok = join.Add((*chosen)[i].path);
    context.progress(static_cast<std::int64_t>(i) + 1, total);
  }
  if (context.stop_requested()) {
    join.Free();  // nothing was written
    return outcome;
  }
  ok = ok && join.Write(output);
  const std::string why = join.error();
  join.Free();
  if (!ok) return fail(why);
  context.write_setting("FOLDERPATH", "CONNECT_FOLDER", folder);
  context.progress(total, total);
  outcome.completed = true;
  return outcome;
}

}  // namespace

JoinCommand::JoinCommand(CQuorbexDlg& window) : window_(window), free_space_(AvailableBytes) {
  ChainCommand(window_, [this](int command) {
    if (command != CommandOf(Control::kJoin)) return false;
    Run();
    return true;
  });
}

void JoinCommand::Run() {
  if (window_.files().running()) return;
  player::ViewPair& views = window_.views();
  if (!window_.files().GuardAllows()) return;
  if (views.rate_code() != 1) views.SetRate(1);
  if (views.state() == player::MovieView::ViewState::kPlaying) views.Pause();
  views.Seek(0);
  views.Stop();
  window_.SetPlayButton(false);
  window_.files().Start([&window = window_, free_space = free_space_](
                            FileJobContext& context) { return JoinChosen(context, window, free_space); },
                        FileWorkerHost::Resume::kReopen);
}

}  // namespace viewer
