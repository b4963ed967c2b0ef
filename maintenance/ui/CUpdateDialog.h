#pragma once

#include <QString>
#include <QUrl>
#include <functional>

#include "viewer/skin/CSkinDialog.h"

class QLabel;
class QPushButton;
class QScreen;

namespace maintenance {

// The update information: a modeless 640 x 360 window of its own (no owner),
// centred on the given screen, titled with UI text 108. The message is shown
// as text: everything in it is escaped, "\r\n" breaks the line, and only the
// anchors of the two download pages become links. A clicked link opens in
// the desktop's browser only when it is one of those two addresses.
class CUpdateDialog : public viewer::CSkinDialog {
 public:
  CUpdateDialog(const QString& message, const QString& firmware_page, const QString& viewer_page,
                QScreen* screen = nullptr);

  // The message as the link control shows it (HTML).
  static QString LinkText(const QString& message, const QStringList& addresses);

  // Replaces the desktop's browser (tests).
  void set_opener(std::function<void(const QUrl&)> opener) { opener_ = std::move(opener); }

  QLabel* link_control() const { return link_; }
  QPushButton* close_control() const { return close_; }
  // What a click on a link with this address does.
  void OnLinkClicked(const QString& address);

 private:
  QStringList addresses_;
  QLabel* link_;
  QPushButton* close_;
  std::function<void(const QUrl&)> opener_;
};

}  // namespace maintenance
