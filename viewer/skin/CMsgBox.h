#pragma once

#include <QString>
#include <functional>

#include "viewer/skin/CMsgDlg.h"

namespace viewer {

// Shows a message box and returns 1 for OK, 2 for Cancel or close. Modal
// runs go through the runner, so tests never block.
class CMsgBox {
 public:
  using Runner = std::function<int(CMsgDlg& dialog)>;
  static int Show(QWidget* owner, const QString& text, const QString& caption, CMsgDlg::Type type = CMsgDlg::kOk);
  static void SetRunner(Runner runner);
};

}  // namespace viewer
