#include "viewer/skin/CMsgDlg.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

#include "viewer/skin/UiFonts.h"

namespace viewer {
namespace {

constexpr int kButtonWidth = 100, kButtonHeight = 30, kButtonStep = 115;

}  // namespace

QStringList CMsgDlg::Lines(const QString& text) {
  QStringList lines = text.split('\n');
  for (QString& line : lines) {
    if (line.endsWith('\r')) line.chop(1);
  }
  return lines;
}

CMsgDlg::CMsgDlg(QWidget* owner, const QString& text, const QString& caption, Type type) : CSkinDialog(owner) {
  setWindowTitle(caption);
  const QFont& font = UiFonts::Shared().font(UiFontSize::k10);
  setFont(font);
  const QStringList lines = Lines(text);
  const QFontMetrics metrics(font);
  int text_width = 0;
  for (const QString& line : lines) text_width = std::max(text_width, metrics.horizontalAdvance(line));
  const int text_height = metrics.height() * static_cast<int>(lines.size());
  // Wide enough that both buttons stay inside.
  const int minimum = (type == kOkCancel ? 2 * kButtonStep : kButtonStep) + 15;
  const int width = std::max(text_width + 80, minimum);
  const int height = text_height + 60 + 80;
  setFixedSize(width, height);

  message_ = new QLabel(lines.join('\n'), this);
  message_->setObjectName("1009");
  message_->setFont(font);
  message_->setGeometry(40, 30, text_width + 1, text_height);
  // The message takes the first focus, so that no key reaches a button
  // before the user has moved to it.
  message_->setFocusPolicy(Qt::StrongFocus);
  ok_ = new QPushButton("OK", this);
  ok_->setFont(font);
  ok_->setGeometry(width - kButtonStep, height - 45, kButtonWidth, kButtonHeight);
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
  if (type == kOkCancel) {
    cancel_ = new QPushButton("Cancel", this);
    cancel_->setFont(font);
    cancel_->setGeometry(width - kButtonStep, height - 45, kButtonWidth, kButtonHeight);
    ok_->move(width - 2 * kButtonStep, height - 45);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
  }
  // Centred over the owner, or over the screen without one.
  const QRect over = owner != nullptr ? owner->frameGeometry()
                                      : (QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->geometry() : QRect());
  move(over.center() - QPoint(width / 2, height / 2));
}

}  // namespace viewer
