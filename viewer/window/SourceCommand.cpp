#include "viewer/window/SourceCommand.h"

#include <array>
#include <string>

#include "library/SourceSetting.h"
#include "library/ui/CFilerContainerDlg.h"
#include "library/ui/CSourceOpenDlg.h"
#include "viewer/commands/ChosenSource.h"
#include "viewer/commands/Controls.h"
#include "viewer/settings/FolderIni.h"
#include "viewer/window/CQuorbexDlg.h"
#include "viewer/window/RecordingOpener.h"
#include "viewer/window/ViewModes.h"
#include "viewer/window/WindowHooks.h"
#include "viewer/window/ZoomController.h"

namespace viewer {
namespace {


// The "SOURCE" keys the dialog writes on OK, read before it runs so that a
// refused answer can be taken back.
class StoredSource {
 public:
  StoredSource() {
    for (std::size_t i = 0; i < kKeys.size(); ++i) values_[i] = ReadFolderIni(kSectionSource, kKeys[i]);
  }
  void Restore() const {
    for (std::size_t i = 0; i < kKeys.size(); ++i) {
      if (ReadFolderIni(kSectionSource, kKeys[i]) != values_[i]) WriteFolderIni(kSectionSource, kKeys[i], values_[i]);
    }
  }

 private:
  static constexpr std::array<const char*, 4> kKeys = {kKeySelect, kKeySd, kKeyFolder, kKeyFile};
  std::array<std::string, 4> values_;
};

}  // namespace

SourceCommand::SourceCommand(CQuorbexDlg& window)
    : window_(window), runner_([](library::CSourceOpenDlg& dialog) { return dialog.exec(); }) {
  ChainCommand(window_, [this](int command) {
    if (command != CommandOf(Control::kSource)) return false;
    Run();
    return true;
  });
}

void SourceCommand::Run() {
  player::ViewPair& views = window_.views();
  if (views.state() != player::MovieView::ViewState::kPaused) views.Pause();
  views.Stop();
  window_.SetPlayButton(false);
  window_.view_modes().zoom().ZoomOff();
  library::CFilerContainerDlg* filer = window_.filer();
  if (!filer->list()->rows().empty()) filer->SelectRow(0);

  const StoredSource before;
  library::CSourceOpenDlg dialog(&window_);
  if (runner_(dialog) != QDialog::Accepted) return;
  const library::SourceKind kind = dialog.kind();
  const std::string path = ReadFolderIni(kSectionSource, library::SourceSelectValue(kind));
  switch (JudgeChosenSource(kind, path)) {
    case ChosenSource::kUnchanged:
      before.Restore();
      break;
    case ChosenSource::kForeignName:
      before.Restore();
      window_.ShowOpenFailed();
      break;
    case ChosenSource::kLoad:
      // The recording playing belongs to the old source's list.
      window_.opener().CloseRecording();
      filer->OpenSource(path, kind);
      break;
  }
}

}  // namespace viewer
