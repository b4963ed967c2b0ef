#pragma once

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "maintenance/CardDevices.h"
#include "platform/MessageSink.h"
#include "viewer/skin/CSkinDialog.h"

namespace viewer {
class CSkinCheckButton;
}

namespace maintenance {

// Posted to the main window when a display box changes: wParam the box's
// index 0-3, lParam its new state (1 checked, 0 cleared).
inline constexpr std::uint32_t kMessageSettingEventKind = 0x81F5;

// The settings window: the four display switches of event kinds, the
// version information and the SD card format section (the drive list and
// its format button). It stores nothing: the boxes report to the owner, the
// format button to on_format.
class CSettingDlg : public viewer::CSkinDialog {
 public:
  static constexpr int kFirstBoxId = 32968;
  static constexpr int kFormatId = 32978;
  static constexpr int kVersionTextId = 32981;
  static constexpr int kBoxCount = 4;

  // One display box: its caption's UI text and its state.
  struct Box {
    int caption_text;
    bool checked;
  };

  // owner receives kMessageSettingEventKind; boxes are the four in order.
  CSettingDlg(QWidget* parent, platform::MessageSink* owner, const std::array<Box, kBoxCount>& boxes);

  // The cards the drive list offers; the last one is selected.
  void SetCards(std::vector<CardDevice> cards);
  const std::vector<CardDevice>& cards() const { return cards_; }
  // The format button with the selected card; nothing without one.
  void Format();
  // Runs the format of the chosen card (the formatter's Start).
  std::function<void(const CardDevice& card)> on_format;

  viewer::CSkinCheckButton* box(int index) const { return boxes_[static_cast<std::size_t>(index)]; }
  QLabel* version_text() const { return version_; }
  QComboBox* drives() const { return drives_; }
  QPushButton* format_button() const { return format_; }

  // The text of a drive list entry: device, model, size and label.
  static QString CardText(const CardDevice& card);

 protected:
  void PaintClient(QPainter& painter) override;

 private:
  void Toggle(int index);

  platform::MessageSink* owner_;
  std::array<viewer::CSkinCheckButton*, kBoxCount> boxes_{};
  QLabel* version_;
  QComboBox* drives_;
  QPushButton* format_;
  std::vector<CardDevice> cards_;
};

}  // namespace maintenance
