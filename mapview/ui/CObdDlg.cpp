#include "mapview/ui/CObdDlg.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QPainter>

#include "mapview/ui/GaugePainter.h"
#include "viewer/skin/UiQText.h"

namespace mapview {
namespace {

constexpr int kTitleText = 140;
const QColor kBackground(20, 22, 28);

}  // namespace

CObdDlg::CObdDlg(QWidget* owner_window, platform::MessageSink* owner)
    : QWidget(owner_window, Qt::Tool), owner_(owner) {
  setObjectName("vehicle panel");
  setAttribute(Qt::WA_DeleteOnClose, false);
  setWindowTitle(viewer::UiQText(kTitleText));
  setWindowOpacity(kAlpha / 255.0);
  setFixedSize(kColumnLeft.back() + kColumnWidth + 2, kColumnTop + kColumnHeight + 2);
  for (int n = 0; n < kSlots; ++n) {
    auto* combo = new QComboBox(this);
    for (int kind = 0; kind < kGaugeKinds; ++kind) combo->addItem(GaugeLabel(kind));
    combo->setCurrentIndex(-1);  // empty until chosen
    combo->setGeometry(kColumnLeft[static_cast<std::size_t>(n)] + 4, 4, kColumnWidth - 8, 26);
    connect(combo, &QComboBox::currentIndexChanged, this, [this, n](int kind) { OnChoose(n, kind); });
    combos_[static_cast<std::size_t>(n)] = combo;
    QTimer& timer = timers_[static_cast<std::size_t>(n)];
    timer.setInterval(kTimerPeriodMs);
    connect(&timer, &QTimer::timeout, this, [this, n] { OnTimer(kTimerFirst + n); });
  }
}

QRect CObdDlg::ColumnOf(int n) {
  return QRect(kColumnLeft[static_cast<std::size_t>(n)], kColumnTop, kColumnWidth, kColumnHeight);
}

void CObdDlg::SetReading(int kind, int value) {
  if (kind >= 0 && kind < kGaugeKinds) readings_[static_cast<std::size_t>(kind)] = value;
}

void CObdDlg::SetFolderSourceLoaded(bool loaded) {
  folder_source_loaded_ = loaded;
  UpdateCombos();
}

void CObdDlg::UpdateCombos() {
  for (int n = 0; n < kSlots; ++n) {
    combos_[static_cast<std::size_t>(n)]->setEnabled(!(folder_source_loaded_ && slot(n).active()));
  }
}

void CObdDlg::OnChoose(int n, int kind) {
  slots_[static_cast<std::size_t>(n)].Choose(kind);
  timers_[static_cast<std::size_t>(n)].start();
  UpdateCombos();
  update(ColumnOf(n));
}

void CObdDlg::OnTimer(int id) {
  const int n = id - kTimerFirst;
  if (n < 0 || n >= kSlots) return;
  GaugeSlot& s = slots_[static_cast<std::size_t>(n)];
  if (!s.active()) return;
  if (s.Tick(readings_[static_cast<std::size_t>(s.kind())])) update(ColumnOf(n));
}

void CObdDlg::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), kBackground);
  for (int n = 0; n < kSlots; ++n) {
    const GaugeSlot& s = slot(n);
    if (s.active()) PaintGauge(p, ColumnOf(n), s.kind(), s.shown());
  }
}

void CObdDlg::closeEvent(QCloseEvent* event) {
  for (QTimer& t : timers_) t.stop();
  if (owner_) owner_->Post(kMessageVehiclePanelClosed, 0, 0);
  QWidget::closeEvent(event);
}

}  // namespace mapview
