#include "maintenance/ui/CUpdateDialog.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include "viewer/skin/UiQText.h"

namespace maintenance {
namespace {

constexpr int kWidth = 640, kHeight = 360;
constexpr int kButtonWidth = 100, kButtonHeight = 30;

}  // namespace

QString CUpdateDialog::LinkText(const QString& message, const QStringList& addresses) {
  QString html = message.toHtmlEscaped();
  for (const QString& address : addresses) {
    const QString anchor = QStringLiteral("<a href=\"%1\">%1</a>").arg(address.toHtmlEscaped());
    html.replace(anchor.toHtmlEscaped(), anchor);
  }
  html.replace(QStringLiteral("\r\n"), QStringLiteral("<br>"));
  // Runs of spaces ("   →   ") keep their width.
  return QStringLiteral("<div style=\"white-space:pre-wrap\">%1</div>").arg(html);
}

CUpdateDialog::CUpdateDialog(const QString& message, const QString& firmware_page, const QString& viewer_page,
                             QScreen* screen)
    : viewer::CSkinDialog(nullptr),
      addresses_{firmware_page, viewer_page},
      opener_([](const QUrl& url) { QDesktopServices::openUrl(url); }) {
  setAttribute(Qt::WA_DeleteOnClose);
  setModal(false);
  setWindowTitle(viewer::UiQText(108));
  setFixedSize(kWidth, kHeight);

  link_ = new QLabel(this);
  link_->setObjectName("1007");
  link_->setTextFormat(Qt::RichText);
  link_->setWordWrap(true);
  link_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  link_->setOpenExternalLinks(false);
  link_->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
  link_->setAutoFillBackground(true);
  QPalette palette = link_->palette();
  palette.setColor(QPalette::Window, Qt::white);
  link_->setPalette(palette);
  link_->setText(LinkText(message, addresses_));
  link_->setGeometry(10, 30, kWidth - 20, kHeight - 80);
  connect(link_, &QLabel::linkActivated, this, &CUpdateDialog::OnLinkClicked);

  close_ = new QPushButton(QStringLiteral("閉じる"), this);
  close_->setObjectName("2");
  close_->setGeometry(kWidth - 110, kHeight - 40, kButtonWidth, kButtonHeight);
  connect(close_, &QPushButton::clicked, this, &QDialog::close);

  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  if (screen != nullptr) move(screen->geometry().center() - rect().center());
}

void CUpdateDialog::OnLinkClicked(const QString& address) {
  if (addresses_.contains(address) && opener_) opener_(QUrl(address));
}

}  // namespace maintenance
