#include "viewer/skin/CSkinDialog.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

#include "viewer/skin/COffScreenDC.h"
#include "viewer/skin/CSkinButton.h"
#include "viewer/skin/ColorRef.h"
#include "viewer/skin/UiFonts.h"

namespace viewer {
namespace {

constexpr int kCloseImage = 352;
const QColor kTitleGrey = ColorFromRef(0x808080);  // the stock grey brush

}  // namespace

CSkinDialog::CSkinDialog(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
  setFont(UiFonts::Shared().font(UiFontSize::k10));
  close_ = new CSkinButton(this, QSize(13, 12), kCloseImage);
  close_->setFocusPolicy(Qt::NoFocus);  // a mouse target only: Space must never reach it
  connect(close_, &QAbstractButton::clicked, this, &QDialog::reject);
}

void CSkinDialog::resizeEvent(QResizeEvent* event) {
  close_->move(width() - 20, 4);
  QDialog::resizeEvent(event);
}

void CSkinDialog::PaintClient(QPainter& painter) {
  painter.fillRect(QRect(0, kTitleHeight, width(), height() - kTitleHeight), Qt::white);
}

void CSkinDialog::paintEvent(QPaintEvent*) {
  COffScreenDC surface;
  QPainter& p = surface.Begin(size());
  PaintClient(p);
  p.fillRect(QRect(0, 0, width(), kTitleHeight), kTitleGrey);
  p.setFont(UiFonts::Shared().font(UiFontSize::k10));
  p.setPen(Qt::black);
  p.drawText(QRect(5, 0, width() - 30, kTitleHeight), Qt::AlignVCenter | Qt::AlignLeft, windowTitle());
  surface.Finish(this);
}

void CSkinDialog::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && event->position().y() < kTitleHeight) {
    dragging_ = true;
    grab_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
    grabMouse();
  }
}

void CSkinDialog::mouseMoveEvent(QMouseEvent* event) {
  if (dragging_) move(event->globalPosition().toPoint() - grab_);
}

void CSkinDialog::mouseReleaseEvent(QMouseEvent*) {
  if (dragging_) releaseMouse();
  dragging_ = false;
}

void CSkinDialog::showEvent(QShowEvent* event) {
  // A push button in a dialog clicks itself on Return while it has the focus
  // ("auto default"), and the dialog clicks its default button on Return;
  // neither may happen here.
  for (QPushButton* button : findChildren<QPushButton*>()) {
    button->setAutoDefault(false);
    button->setDefault(false);
  }
  // A platform theme may also press buttons with Return (its "button press
  // keys"): the dialog drops Return before a button sees it.
  for (QAbstractButton* button : findChildren<QAbstractButton*>()) button->installEventFilter(this);
  QWidget* focus = focusWidget();
  if (focus == nullptr || qobject_cast<QAbstractButton*>(focus) != nullptr) {
    // The first control in the tab order that is not a button.
    for (QWidget* w = nextInFocusChain(); w != this; w = w->nextInFocusChain()) {
      if (w->window() == this && (w->focusPolicy() & Qt::TabFocus) && w->isEnabled() && w->isVisibleTo(this) &&
          qobject_cast<QAbstractButton*>(w) == nullptr) {
        w->setFocus(Qt::TabFocusReason);
        break;
      }
    }
  }
  QDialog::showEvent(event);
}

bool CSkinDialog::eventFilter(QObject* watched, QEvent* event) {
  // Escape passes: a button only uses it to let go of a press.
  if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) return true;
  }
  return QDialog::eventFilter(watched, event);
}

void CSkinDialog::keyPressEvent(QKeyEvent* event) {
  // Return and Escape reach here from every control that does not use them
  // and would close the dialog; every other key goes on to the focused
  // control (the path fields need typing).
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
      event->accept();
      return;
    default:
      QDialog::keyPressEvent(event);
  }
}

}  // namespace viewer
