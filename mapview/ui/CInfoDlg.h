#pragma once

#include <QColor>
#include <QString>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>

#include "mapview/InfoPanelLayout.h"
#include "mapview/InfoRecording.h"
#include "mapview/InfoValues.h"
#include "platform/MessageSink.h"
#include "viewer/skin/COffScreenDC.h"

namespace viewer {
class CSkinButton;
}

namespace mapview {

// Posted to the owner when an axis button is toggled: wParam the axis (0 X,
// 1 Y, 2 Z), lParam the new state (1 on, 0 off).
inline constexpr std::uint32_t kMessageInfoAxisToggle = 0x82BD;
inline constexpr int kAxisButtonFirstId = 38600;

// The info panel under the video: date and time, the mode text, speed, the
// three accelerations, the event, status and GPS-fix icons, and in layout 0
// the three axis buttons. The owner sets the values; painting only draws
// them. UI thread only.
class CInfoDlg : public QWidget {
 public:
  static constexpr QRgb kBackground = 0xFF181818;
  static constexpr QRgb kText = 0xFFFFFFFF;
  static constexpr std::array<QRgb, 3> kAxisColours = {0xFF00FF00, 0xFFFF0000, 0xFF8080FF};

  CInfoDlg(QWidget* parent, platform::MessageSink* owner);

  // 0 normal, 1 large, 2 the compact strip; the axis buttons show in 0 only.
  void SetLayout(int layout);
  int layout() const { return layout_; }
  const InfoPanelLayout& boxes() const { return boxes_; }

  // The recording on screen (for the date and time of a frame).
  void SetRecording(const InfoRecording& recording);
  const InfoRecording& recording() const { return recording_; }
  // The short text beside the time (the playback speed).
  void SetModeText(const QString& text);
  const QString& mode_text() const { return mode_text_; }
  // The values of the frame on screen; the panel repaints.
  void ShowValues(const InfoValues& values);
  // No recording shown: every box shows its placeholder, drawn at once.
  void Reset();
  const InfoValues& values() const { return values_; }

  viewer::CSkinButton* axis_button(int axis) const { return axis_buttons_[static_cast<std::size_t>(axis)]; }

  // A double click on the panel (the window opens the vehicle panel).
  std::function<void()> on_double_click;

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void mouseDoubleClickEvent(QMouseEvent*) override;

 private:
  void PlaceBoxes();

  platform::MessageSink* owner_;
  std::array<viewer::CSkinButton*, 3> axis_buttons_{};
  int layout_ = 0;
  InfoPanelLayout boxes_;
  InfoRecording recording_;
  InfoValues values_;
  QString mode_text_;
  viewer::COffScreenDC surface_;
};

}  // namespace mapview
