#include "maintenance/ui/CSettingDlg.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include "maintenance/VersionInfo.h"
#include "viewer/skin/CSkinCheckButton.h"
#include "viewer/skin/UiFonts.h"
#include "viewer/skin/UiQText.h"

namespace maintenance {
namespace {

constexpr int kTitleText = 124;
constexpr int kDisplayGroupText = 129;
constexpr int kVersionGroupText = 128;
constexpr int kFormatGroupText = 117;
constexpr int kDriveLabelText = 123;
constexpr int kCheckImage = 217;

QRect Area(int left, int top, int right, int bottom) { return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)); }

// The three sections: the display switches, the version, the card format.
struct Group {
  int text;
  QRect frame;
};
const Group kGroups[] = {
    {kDisplayGroupText, Area(10, 30, 448, 190)},
    {kVersionGroupText, Area(10, 190, 448, 300)},
    {kFormatGroupText, Area(10, 300, 448, 390)},
};

}  // namespace

CSettingDlg::CSettingDlg(QWidget* parent, platform::MessageSink* owner, const std::array<Box, kBoxCount>& boxes)
    : CSkinDialog(parent), owner_(owner) {
  setWindowTitle(viewer::UiQText(kTitleText));
  setFixedSize(460, 400);
  setFont(viewer::UiFonts::Shared().font(viewer::UiFontSize::k10));
  for (int i = 0; i < kBoxCount; ++i) {
    const Box& b = boxes[static_cast<std::size_t>(i)];
    auto* box = new viewer::CSkinCheckButton(this, viewer::UiQText(b.caption_text), kCheckImage);
    box->setObjectName(QString::number(kFirstBoxId + i));
    box->setCheckable(true);
    box->setChecked(b.checked);
    box->setGeometry(Area(30, 55 + 30 * i, 420, 75 + 30 * i));
    connect(box, &QAbstractButton::clicked, this, [this, i] { Toggle(i); });
    boxes_[static_cast<std::size_t>(i)] = box;
  }
  version_ = new QLabel(QString::fromStdString(VersionInfoText(__DATE__)).replace("\r\n", "\n"), this);
  version_->setObjectName(QString::number(kVersionTextId));
  version_->setGeometry(Area(20, 210, 438, 270));
  version_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  auto* drive_label = new QLabel(viewer::UiQText(kDriveLabelText), this);
  drive_label->setGeometry(Area(20, 325, 110, 350));
  drives_ = new QComboBox(this);
  drives_->setObjectName("drive list");
  drives_->setGeometry(Area(110, 325, 330, 351));
  format_ = new QPushButton(QStringLiteral("初期化"), this);
  format_->setObjectName(QString::number(kFormatId));
  format_->setGeometry(Area(340, 323, 438, 353));
  connect(format_, &QPushButton::clicked, this, [this] { Format(); });
  SetCards({});
  // Centred on the screen that holds the parent.
  if (QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen()) {
    move(screen->geometry().center() - rect().center());
  }
}

QString CSettingDlg::CardText(const CardDevice& card) {
  QString text = QStringLiteral("/dev/") + QString::fromStdString(card.name) + "  " +
                 QString::fromStdString(SizeText(card.size));
  if (!card.model.empty()) text += "  " + QString::fromStdString(card.model);
  if (!card.label.empty()) text += "  [" + QString::fromStdString(card.label) + "]";
  return text;
}

void CSettingDlg::SetCards(std::vector<CardDevice> cards) {
  cards_ = std::move(cards);
  drives_->clear();
  for (const CardDevice& card : cards_) drives_->addItem(CardText(card));
  drives_->setCurrentIndex(drives_->count() - 1);
  format_->setEnabled(!cards_.empty());
}

void CSettingDlg::Format() {
  const int chosen = drives_->currentIndex();
  if (chosen < 0 || chosen >= static_cast<int>(cards_.size())) return;  // no drive chosen: nothing to do
  if (on_format) on_format(cards_[static_cast<std::size_t>(chosen)]);
}

void CSettingDlg::Toggle(int index) {
  // The button flipped its own state on the click; the box shows it at once.
  viewer::CSkinCheckButton* box = boxes_[static_cast<std::size_t>(index)];
  box->update();
  if (owner_) owner_->Post(kMessageSettingEventKind, static_cast<std::uintptr_t>(index), box->isChecked() ? 1 : 0);
}

void CSettingDlg::PaintClient(QPainter& painter) {
  CSkinDialog::PaintClient(painter);
  painter.setFont(font());
  const QFontMetrics metrics(font());
  for (const Group& g : kGroups) {
    const QString title = viewer::UiQText(g.text);
    const int half = metrics.height() / 2;
    painter.setPen(QColor(160, 160, 160));
    painter.drawRect(g.frame.adjusted(0, half, -1, -1));  // a stroked QRect covers one pixel more
    // The title interrupts the frame's top line.
    const QRect title_box(g.frame.left() + 8, g.frame.top(), metrics.horizontalAdvance(title) + 6, metrics.height());
    painter.fillRect(title_box, Qt::white);
    painter.setPen(Qt::black);
    painter.drawText(title_box, Qt::AlignCenter, title);
  }
}

}  // namespace maintenance
