#pragma once

#include <QImage>
#include <QWidget>
#include <cstdint>
#include <optional>

#include "mapview/DetectorTable.h"
#include "mapview/SensorSeries.h"
#include "platform/MessageSink.h"

namespace recording {
class SensorDataFile;
}

namespace mapview {

// Skin pictures of the graph.
inline constexpr int kGraphTileImage = 230;       // the background, tiled
inline constexpr int kGraphAxisImageFirst = 231;  // one per vertical zoom 0-3
inline constexpr int kGraphKind11Image = 235;     // the drive-assist marker's picture

// Posted to the owner when a mouse button is released over the graph.
inline constexpr std::uint32_t kGraphLeftButtonUp = 0x8191;
inline constexpr std::uint32_t kGraphRightButtonUp = 0x8192;

// The acceleration graph: the X, Y and Z traces of the current recording,
// its event markers with their labels, the speeding band and the white
// playback cursor.
//
// The traces, markers and band are drawn once into a cached image, again
// only when what they show changes: the data, the size, the zoom, a
// detector's flags, the show-data flag, the optional-detector switch, or
// the cursor moving into or out of the frame list (outside it the graph
// shows no data). Moving the cursor repaints the two columns it leaves and
// enters from that image. Runs on the UI thread.
class CGSensorDlg : public QWidget {
 public:
  // owner receives the button messages.
  CGSensorDlg(QWidget* parent, platform::MessageSink* owner);

  // Takes a copy of a recording's samples and per-frame index (the caller
  // holds the data's lock); the range becomes the whole frame list and the
  // cursor goes to its start.
  void SetData(const recording::SensorDataFile& data);
  void SetSeries(SensorSeries series);
  // No recording: background, axis and cursor only.
  void ClearData();
  // The frames [first, first + count) the cursor runs over.
  void SetRange(std::int64_t first, std::int64_t count);
  void MoveCursor(std::int64_t frame);
  // 0-3; the axis picture follows.
  void SetZoom(int zoom);
  void SetShowData(bool on);
  void SetOptionalDetectors(bool on);
  // Both flags of a detector entry; entries 0-2 also switch the X, Y, Z traces.
  void SetEntryFlags(int entry, bool on);
  void SetThresholds(const recording::SensorDataHeader& header);
  // While set, button releases post nothing.
  void SetClicksDisabled(bool disabled) { clicks_disabled_ = disabled; }

  const DetectorTable& detectors() const { return detectors_; }
  const SensorSeries& series() const { return series_; }
  int zoom() const { return zoom_; }
  std::int64_t cursor() const { return cursor_; }
  int CursorX() const;
  // How often the cached image was drawn.
  int cache_renders() const { return cache_renders_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  bool CursorInList() const { return cursor_ >= 0 && cursor_ < series_.frame_count(); }
  void Invalidate();
  void RenderCache();
  void DrawData(class QPainter& p);

  platform::MessageSink* owner_;
  SensorSeries series_;
  DetectorTable detectors_;
  QImage cache_;
  bool cache_valid_ = false;
  bool cached_with_data_ = false;  // whether the cache shows traces
  int cache_renders_ = 0;
  std::int64_t cursor_ = 0;
  std::int64_t range_first_ = 0;
  std::int64_t range_count_ = 0;
  int zoom_ = 1;
  bool show_data_ = false;
  bool clicks_disabled_ = false;
};

}  // namespace mapview
