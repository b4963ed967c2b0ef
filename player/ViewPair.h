#pragma once

#include <QString>
#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "platform/MessageSink.h"
#include "player/MovieView.h"

namespace player {

// A recording's front camera (slot 0) and rear camera (slot 1) in two views,
// driven together. Every operation that names both runs on each open view,
// front first, and succeeds when at least one of them succeeds; a view that
// is not open is skipped. Frame numbers are the front camera's: the rear view
// is given the frame under way at the same moment, so cameras at different
// frame rates show the same moment.
//
// Position, duration, frame rate, state and rate code are read from the
// front view, or from the rear view when only the rear is open (its frames
// are then the numbers used).
//
// Runs on one thread, the one that drives the views (the UI thread).
class ViewPair {
 public:
  static constexpr int kFront = 0;
  static constexpr int kRear = 1;

  // What one view is made with: where it posts WM_PLAYER_READY and
  // WM_PLAYER_ENDED, and how it asks its window to paint again.
  struct Slot {
    platform::MessageSink* owner = nullptr;
    std::function<void()> repaint;
  };
  // owner_parent receives both views' slow-motion messages.
  ViewPair(platform::MessageSink* owner_parent, Slot front, Slot rear);

  // Sets up both views (locks, overlay font).
  void SetUp(const QString& font_face);
  // Failures of either view go here, as each view reports them.
  void set_error_sink(const ErrorSink& sink);

  // Opens the recording of the front camera file front and its rear camera
  // file beside it. A missing rear file, or a name of another shape (which
  // has no rear of its own), leaves the front alone, with no failure; a rear
  // file that exists but does not open is reported. Succeeds when either
  // view opened; otherwise gives the front's failure, and reason() says why
  // each failed.
  HRESULT Open(const std::filesystem::path& front);
  void Close();
  // The sensor data of each open view's own recording (the rear's from the
  // rear file's companion); 1 when either loaded.
  std::int64_t LoadSensorData(const std::filesystem::path& front);
  void FreeSensorData();
  // Takes sensor data decoded elsewhere as the reading view's (the one whose
  // frames the window shows samples for); 1 when it indexed.
  std::int64_t TakeSensorData(recording::SensorDataFile& decoded);

  HRESULT Play();
  HRESULT Pause();
  HRESULT Stop();
  // Moves both views to front frame f: while playing, playback goes on from
  // there; otherwise that frame is shown (a seek would do nothing).
  HRESULT Seek(std::int32_t frame);
  // Shows front frame f, and the rear frame at the same moment; returns once
  // both are on screen.
  HRESULT ShowFrame(std::int32_t frame);
  // Shows the frame delta frames from the current one.
  HRESULT Step(std::int32_t delta);
  HRESULT SetRate(int code);
  // Slow motion steps the reading view (its WM_SLOW_STEP numbers are the
  // frames to show with ShowFrame, for both); the other view only pauses,
  // so that one run of steps reaches the owner, and plays on again when
  // slow motion ends.
  HRESULT SlowMotion(bool on);
  HRESULT Rotate180(bool on);
  HRESULT SetKeepAspect(bool keep);
  // The reading view plays at volume, the other stays silent.
  HRESULT SetVolume(int volume);
  // The part of the picture one view shows (each view has its own): the zoom
  // factor and the visible part's top-left, as fractions of the picture.
  HRESULT SetViewRectangle(int slot, double factor, double x, double y);
  // Takes effect at the next open.
  void SetHardwareDecoding(bool on);

  std::int32_t CurrentFrame();
  std::int32_t FrameCount();
  double FrameRate();  // frames per second; 0 with nothing open
  MovieView::ViewState state() const;
  int rate_code() const;
  // Every open view can show frames (its WM_PLAYER_READY has come).
  bool media_ready() const;
  bool opened(int slot) const { return opened_[slot]; }
  // Why the last open failed in either view (empty when both opened).
  const std::string& reason() const { return why_; }

  MovieView& view(int slot) { return *views_[slot]; }
  // The view the position and state are read from.
  MovieView& reading_view();
  const MovieView& reading_view() const;

 private:
  // Runs op on each open view (front first) and combines the results: the
  // reading view's result when it succeeded, else the other's; the front's
  // failure when both failed; E_UNEXPECTED when none is open.
  template <typename Op>
  HRESULT Each(Op op);
  int reading_slot() const { return opened_[kFront] || !opened_[kRear] ? kFront : kRear; }
  std::int32_t RearFrame(std::int32_t front_frame) const;

  std::array<std::unique_ptr<MovieView>, 2> views_;
  std::array<bool, 2> opened_{false, false};
  std::string why_;
};

}  // namespace player
