#include "viewer/skin/CMsgBox.h"

namespace viewer {
namespace {

CMsgBox::Runner& TheRunner() {
  static CMsgBox::Runner runner = [](CMsgDlg& dialog) { return dialog.exec(); };
  return runner;
}

}  // namespace

int CMsgBox::Show(QWidget* owner, const QString& text, const QString& caption, CMsgDlg::Type type) {
  CMsgDlg dialog(owner, text, caption, type);
  const int result = TheRunner()(dialog);
  return result == QDialog::Accepted ? 1 : 2;
}

void CMsgBox::SetRunner(Runner runner) { TheRunner() = std::move(runner); }

}  // namespace viewer
