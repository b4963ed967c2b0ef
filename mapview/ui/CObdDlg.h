#pragma once

#include <QTimer>
#include <QWidget>
#include <array>
#include <cstdint>

#include "mapview/GaugeSlot.h"
#include "platform/MessageSink.h"

class QComboBox;

namespace mapview {

// Posted to the owner when the vehicle panel closes.
inline constexpr std::uint32_t kMessageVehiclePanelClosed = 0x8578;

// The vehicle panel: a separate, about 90 % opaque window with three slots,
// each a combo box choosing one of five readings and an animated gauge in
// its column. The owner writes the readings; a 50 ms timer per slot (1000,
// 1001, 1002) moves each gauge toward its reading. UI thread only.
class CObdDlg : public QWidget {
 public:
  static constexpr int kSlots = 3;
  static constexpr int kTimerFirst = 1000;
  static constexpr int kTimerPeriodMs = 50;
  static constexpr int kColumnTop = 34;  // below the combo boxes
  static constexpr int kColumnHeight = 151;
  static constexpr std::array<int, kSlots> kColumnLeft = {2, 214, 426};
  static constexpr int kColumnWidth = 211;  // x 2-212, 214-424, 426-636
  static constexpr int kAlpha = 229;

  CObdDlg(QWidget* owner_window, platform::MessageSink* owner);

  // Reading of kind 0-4; kinds the data does not carry stay 0.
  void SetReading(int kind, int value);
  // A folder-source data set is loaded: the combo boxes of active slots are
  // disabled, so the choice cannot change under it.
  void SetFolderSourceLoaded(bool loaded);
  // One tick of timer 1000 + slot.
  void OnTimer(int id);

  const GaugeSlot& slot(int n) const { return slots_[static_cast<std::size_t>(n)]; }
  QComboBox* combo(int n) const { return combos_[static_cast<std::size_t>(n)]; }
  const QTimer& timer(int n) const { return timers_[static_cast<std::size_t>(n)]; }
  static QRect ColumnOf(int n);

 protected:
  void paintEvent(QPaintEvent*) override;
  void closeEvent(QCloseEvent*) override;

 private:
  void OnChoose(int n, int kind);
  void UpdateCombos();

  platform::MessageSink* owner_;
  std::array<QComboBox*, kSlots> combos_{};
  std::array<GaugeSlot, kSlots> slots_{};
  std::array<QTimer, kSlots> timers_;
  std::array<int, kGaugeKinds> readings_{};
  bool folder_source_loaded_ = false;
};

}  // namespace mapview
