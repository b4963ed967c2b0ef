#pragma once

#include <QLabel>
#include <QPushButton>
#include <QString>

#include "viewer/skin/CSkinDialog.h"

namespace viewer {

// The program's message box: the text (split at "\n", a trailing "\r"
// dropped) at (40, 30) on white, OK (and Cancel) 100 x 30 at the bottom
// right, sized (text width + 80) x (text height + 140), centred over the
// owner.
class CMsgDlg : public CSkinDialog {
 public:
  enum Type { kOk = 0, kOkCancel = 1 };
  CMsgDlg(QWidget* owner, const QString& text, const QString& caption, Type type);
  QLabel* message() const { return message_; }
  QPushButton* ok() const { return ok_; }
  QPushButton* cancel() const { return cancel_; }
  static QStringList Lines(const QString& text);

 private:
  QLabel* message_;
  QPushButton* ok_;
  QPushButton* cancel_ = nullptr;
};

}  // namespace viewer
