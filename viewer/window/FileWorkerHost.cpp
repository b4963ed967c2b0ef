#include "viewer/window/FileWorkerHost.h"

#include <QApplication>
#include <QDialog>
#include <QMetaObject>
#include <QPointer>
#include <QCoreApplication>
#include <chrono>
#include <thread>
#include <utility>

#include "library/ui/CFileSelectDlg.h"
#include "library/ui/CFilerContainerDlg.h"
#include "mapview/ui/CGSensorDlg.h"
#include "platform/NamedMutexLock.h"
#include "viewer/commands/CommandGuard.h"
#include "viewer/commands/Controls.h"
#include "viewer/skin/CMovieStatic.h"
#include "viewer/skin/CMsgBox.h"
#include "viewer/skin/CSkinProgressBarCtrl.h"
#include "viewer/skin/UiQText.h"
#include "viewer/window/CQuorbexDlg.h"
#include "viewer/window/RecordingOpener.h"
#include "viewer/window/ViewModes.h"
#include "viewer/window/WindowHooks.h"
#include "viewer/window/ZoomController.h"

namespace viewer {
namespace {

// Runs the event loop until done holds: the UI thread's way of waiting for
// the worker, which may need the loop to answer it.
void WaitInEventLoop(const std::function<bool()>& done) {
  while (!done()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

QString FromUtf8(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

library::CFileSelectDlg::Mode DialogMode(FileSelectMode mode) {
  switch (mode) {
    case FileSelectMode::kDelete:
      return library::CFileSelectDlg::kDelete;
    case FileSelectMode::kBackUp:
      return library::CFileSelectDlg::kBackUp;
    case FileSelectMode::kJoin:
      break;
  }
  return library::CFileSelectDlg::kJoin;
}

}  // namespace

FileWorkerHost::FileWorkerHost(CQuorbexDlg& window)
    : window_(window),
      worker_(window.sink(),
              [&window](std::function<void()> action) {
                // Queued to the window: dropped if the window is gone.
                QMetaObject::invokeMethod(&window, std::move(action), Qt::QueuedConnection);
              }),
      cache_mutex_(platform::NamedMutex::Create("hMutexCache")),
      file_select_runner_([](library::CFileSelectDlg& dialog) { return dialog.exec(); }),
      folder_runner_(RunFolderDialog) {
  ChainCommand(window_, [this](int command) {
    // "先頭" while an operation runs ends it instead of stopping playback.
    if (command != CommandOf(Control::kFirst) || !running()) return false;
    StopAndWait();
    return true;
  });
  ChainMessage(window_, [this](const platform::Message& m) { OnMessage(m); });
  ChainAfter(window_.on_shutdown, [this] { StopAndWait(); });
  window_.opener().on_media_ready = [this, next = std::move(window_.opener().on_media_ready)] {
    if (next) next();
    if (pending_frame_ < 0) return;
    const int frame = pending_frame_;
    pending_frame_ = -1;
    // Paused at the frame it showed, as the operation found it.
    player::ViewPair& views = window_.views();
    views.Pause();
    views.ShowFrame(frame);
    window_.SetPlayButton(false);
  };
}

FileWorkerHost::~FileWorkerHost() = default;

FileDialogs FileWorkerHost::MakeDialogs() {
  FileDialogs d;
  QPointer<CQuorbexDlg> owner(&window_);
  d.pick_folder = [this, owner](std::string_view key, int prompt) -> std::string {
    if (!owner) return {};
    return PickFolder(owner, "FOLDERPATH", key, UiQText(prompt), folder_runner_,
                      [](QWidget* parent, const QString& text) { CMsgBox::Show(parent, text, QStringLiteral("ERROR")); });
  };
  d.question = [owner](const std::string& text, const std::string& caption) {
    return owner && CMsgBox::Show(owner, FromUtf8(text), FromUtf8(caption), CMsgDlg::kOkCancel) == 1;
  };
  d.message = [owner](const std::string& text, const std::string& caption) {
    if (owner) CMsgBox::Show(owner, FromUtf8(text), FromUtf8(caption));
  };
  d.select_files = [this, owner](FileSelectMode mode, const std::vector<library::RecordingEntry>& entries)
      -> std::optional<std::vector<library::RecordingEntry>> {
    if (!owner) return std::nullopt;
    library::CFileSelectDlg dialog(owner, DialogMode(mode));
    dialog.SetDefaultList(entries);  // shows UI text 105 when it must cut the list
    if (file_select_runner_(dialog) != QDialog::Accepted) return std::nullopt;
    return dialog.result();
  };
  return d;
}

bool FileWorkerHost::GuardAllows() {
  if (!window_.loaded()) return true;
  player::ViewPair& views = window_.views();
  const auto state = static_cast<PlayState>(views.state());
  return CommandGuardAllows(true, state, views.CurrentFrame(), views.FrameCount(),
                            state == PlayState::kPlaying ? views.rate_code() : 1);
}

bool FileWorkerHost::Start(FileJob job, Resume resume) {
  if (running()) return false;
  resume_ = resume;
  resume_row_ = window_.filer()->current_row();
  resume_frame_ = resume == Resume::kReopenAtPosition ? window_.views().CurrentFrame() : 0;
  if (!worker_.Start(std::move(job), window_.filer()->list()->rows(), MakeDialogs())) return false;
  SetBusyLook(true);
  return true;
}

void FileWorkerHost::SetBusyLook(bool busy) {
  CSkinProgressBarCtrl* bar = window_.progress_bar();
  if (busy) {
    bar->SetPos(0);
    bar->raise();
    bar->show();
  } else {
    bar->hide();
  }
  window_.graph()->setEnabled(!busy);
  for (int v = 0; v < 2; ++v) window_.movie_window(v)->setEnabled(!busy);
  window_.UpdateEnabledControls();  // everything off while running()
}

void FileWorkerHost::CloseOpenDialogs() {
  // Modal dialogs stack; each one closed lets the one under it return.
  for (QWidget* w : QApplication::topLevelWidgets()) {
    auto* dialog = qobject_cast<QDialog*>(w);
    if (dialog && dialog != &window_ && dialog->isVisible() && dialog->isModal()) dialog->reject();
  }
}

void FileWorkerHost::StopAndWait() {
  if (!running()) return;
  worker_.RequestStop();
  CloseOpenDialogs();
  // The worker stops at its next step and posts its end; the event loop
  // runs meanwhile, so a request it still makes is answered (Cancel).
  WaitInEventLoop([this] { return worker_.finished(); });
  if (window_.shut_down()) {
    worker_.JoinIfFinished();
    return;
  }
  WaitInEventLoop([this] { return !running(); });  // the end step joins
}

void FileWorkerHost::OnMessage(const platform::Message& m) {
  if (m.message == kMessageFileListChanged) {
    OnListChanged();
  } else if (m.message == kMessageFileWorkEnd) {
    OnEnd();
  }
}

void FileWorkerHost::OnListChanged() {
  if (window_.shut_down()) return;
  window_.view_modes().zoom().ZoomOff();
  window_.opener().CloseRecording();
  // The folder listed stays listed, with what is left in it.
  library::CFilerContainerDlg* filer = window_.filer();
  if (library::TreeItem* item = filer->tree()->selected()) {
    filer->SelectItem(item);
  } else {
    filer->OpenSource(filer->scanner().source_path(), filer->scanner().kind());
  }
  resume_row_ = 0;  // the first row of what is left
  window_.sink().Post(kMessageFileWorkEnd, 0, 1);
}

void FileWorkerHost::OnEnd() {
  if (!worker_.JoinIfFinished()) return;  // not this worker's end
  if (window_.shut_down()) return;
  SetBusyLook(false);
  const FileJobOutcome& outcome = worker_.outcome();
  if (outcome.completed) CMsgBox::Show(&window_, UiQText(48), UiQText(49));
  player::ViewPair& views = window_.views();
  if (outcome.rewind && (views.opened(0) || views.opened(1))) {
    if (views.state() == player::MovieView::ViewState::kPlaying) views.Pause();
    views.Seek(0);
    views.Stop();
    window_.SetPlayButton(false);
  }
  const int rows = static_cast<int>(window_.filer()->list()->rows().size());
  const bool closed = !views.opened(0) && !views.opened(1);
  // A recording the operation did not close (it was cancelled first) stays
  // as it is, paused where it was.
  const bool reopen = closed && resume_ != Resume::kNone;
  if (reopen && resume_row_ >= 0 && resume_row_ < rows) {
    // At frame 0 it simply opens stopped there.
    pending_frame_ = resume_ == Resume::kReopenAtPosition && resume_frame_ > 0 ? resume_frame_ : -1;
    platform::NamedMutexLock lock(*cache_mutex_);
    window_.opener().Select(resume_row_, false, false);
  }
  resume_ = Resume::kNone;
  window_.UpdateEnabledControls();
}

}  // namespace viewer
