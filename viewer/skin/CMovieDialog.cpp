#include "viewer/skin/CMovieDialog.h"

#include "viewer/skin/UiQText.h"

namespace viewer {

CMovieDialog::CMovieDialog(QWidget* parent, platform::MessageSink* main_window)
    : CSkinDialog(parent), main_window_(main_window) {
  ShowsMainCamera(false);
}

void CMovieDialog::ShowsMainCamera(bool main) {
  setWindowTitle(UiQText(main ? 151 : 152));
}

void CMovieDialog::resizeEvent(QResizeEvent* event) {
  CSkinDialog::resizeEvent(event);
  if (main_window_ != nullptr) main_window_->Post(kMessageReapplyView, 0, 0);
}

void CMovieDialog::moveEvent(QMoveEvent* event) {
  CSkinDialog::moveEvent(event);
  if (main_window_ != nullptr && isVisible()) main_window_->Post(kMessageKeepOnScreen, 0, 0);
}

void CMovieDialog::reject() {
  // Closing the floating window puts the view back into the main window.
  if (main_window_ != nullptr) main_window_->Post(kMessageDockView, 0, 0);
  CSkinDialog::reject();
}

}  // namespace viewer
