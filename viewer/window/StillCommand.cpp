#include "viewer/window/StillCommand.h"

#include <QImage>
#include <QSaveFile>
#include <array>
#include <filesystem>
#include <system_error>

#include "library/ui/CFilerContainerDlg.h"
#include "viewer/commands/Controls.h"
#include "viewer/commands/StillPictureNames.h"
#include "viewer/settings/FolderIni.h"
#include "viewer/skin/CMsgBox.h"
#include "viewer/skin/PickFolder.h"
#include "viewer/skin/UiQText.h"
#include "viewer/window/CQuorbexDlg.h"
#include "viewer/window/FileWorkerHost.h"
#include "viewer/window/RecordingOpener.h"
#include "viewer/window/WindowHooks.h"

namespace viewer {
namespace {

constexpr int kJpegQuality = 92;
constexpr int kPromptText = 102;
constexpr int kExistsText = 93;
constexpr int kConfirmCaption = 106;
constexpr int kSaveFailedText = 100;
constexpr int kDoneText = 48;
constexpr int kDoneCaption = 49;

// Written beside its final name and renamed into place only when complete.
bool WriteJpeg(const std::filesystem::path& path, const QImage& image) {
  QSaveFile file(QString::fromStdString(path.string()));
  if (!file.open(QIODevice::WriteOnly)) return false;
  if (!image.convertToFormat(QImage::Format_RGB32).save(&file, "JPG", kJpegQuality)) {
    file.cancelWriting();
    return false;
  }
  return file.commit();
}

bool Exists(const std::filesystem::path& path) {
  std::error_code ec;
  return std::filesystem::exists(std::filesystem::symlink_status(path, ec));
}

}  // namespace

StillCommand::StillCommand(CQuorbexDlg& window) : window_(window) {
  ChainCommand(window_, [this](int command) {
    if (command != CommandOf(Control::kStill)) return false;
    Run();
    return true;
  });
}

void StillCommand::Run() {
  player::ViewPair& views = window_.views();
  if (!window_.loaded() || !window_.files().GuardAllows()) return;
  // The frames on screen, each at its video's own size.
  std::array<player::PublishedFrame, 2> frames;
  bool any = false;
  for (int slot = 0; slot < 2; ++slot) {
    if (!views.opened(slot)) continue;
    frames[static_cast<std::size_t>(slot)] = views.view(slot).FrameOnScreen();
    any = any || !frames[static_cast<std::size_t>(slot)].image.isNull();
  }
  if (!any) return;
  if (views.state() == player::MovieView::ViewState::kPlaying) {
    views.Pause();
    window_.SetPlayButton(false);
  }

  const std::string folder =
      PickFolder(&window_, "FOLDERPATH", "SNAPSHOT_FOLDER", UiQText(kPromptText), window_.files().folder_runner(),
                 [](QWidget* owner, const QString& text) { CMsgBox::Show(owner, text, QStringLiteral("ERROR")); });
  if (folder.empty()) return;

  const int row = window_.filer()->current_row();
  const auto& rows = window_.filer()->list()->rows();
  const std::filesystem::path recording =
      row >= 0 && static_cast<std::size_t>(row) < rows.size() ? std::filesystem::path(rows[static_cast<std::size_t>(row)].path)
                                                               : window_.opener().opened();
  const std::int32_t frame = frames[0].image.isNull() ? views.CurrentFrame() : frames[0].frame;
  const StillPictureNames names = StillPictureNamesFor(folder, recording, frame);
  // The sub camera's picture would replace its file as silently as the
  // main one's: either existing asks.
  if ((Exists(names.main) || Exists(names.sub)) &&
      CMsgBox::Show(&window_, UiQText(kExistsText), UiQText(kConfirmCaption), CMsgDlg::kOkCancel) != 1) {
    return;
  }
  int written = 0;
  for (std::size_t slot = 0; slot < 2; ++slot) {
    if (!frames[slot].image.isNull() && WriteJpeg(slot == 0 ? names.main : names.sub, frames[slot].image)) ++written;
  }
  if (written > 0) {
    WriteFolderIni("FOLDERPATH", "SNAPSHOT_FOLDER", folder);
    CMsgBox::Show(&window_, UiQText(kDoneText), UiQText(kDoneCaption));
  } else {
    CMsgBox::Show(&window_, UiQText(kSaveFailedText), QStringLiteral("ERROR"));
  }
}

}  // namespace viewer
