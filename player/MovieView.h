#pragma once

#include <QFont>
#include <QImage>
#include <QString>
#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/MessageSink.h"
#include "platform/NamedMutex.h"
#include "player/CPlayer.h"
#include "player/ErrorReporter.h"
#include "recording/SensorDataFile.h"
#include "recording/VideoTiming.h"

namespace player {

// What one view operation gets and gives.
struct ViewCall {
  std::int64_t value = 0;  // a frame, a rate code, a volume, a flag or an option
  double real = 0.0;       // slow motion on/off, the zoom factor
  double x = 0.0, y = 0.0; // pan offsets: the visible part's top-left, as fractions of the picture
  std::filesystem::path path;
  QString text;
  // Results of operations that give more than a number.
  double real_result = 0.0;
  int width = 0, height = 0;
};

// One video view: a recording's front or rear camera with its back end,
// its sensor data and its locks. Every operation runs under the view's
// "hFileMutex" (shared by name with the other view), on one driving thread;
// painting may run on another.
class MovieView {
 public:
  enum class ViewState { kNothing = 0, kStopped = 1, kPlaying = 2, kPaused = 3 };

  // owner receives WM_PLAYER_READY and WM_PLAYER_ENDED; owner_parent the
  // slow-motion messages; repaint asks the window to paint again.
  MovieView(platform::MessageSink* owner, platform::MessageSink* owner_parent, std::function<void()> repaint);
  ~MovieView();
  MovieView(const MovieView&) = delete;
  MovieView& operator=(const MovieView&) = delete;

  // The operations, numbered as in the view operation table.
  std::int64_t SetUp(const QString& font_face);                 // 0
  std::int64_t TearDown();                                      // 1
  std::int64_t IsRecording(const std::filesystem::path& path);  // 2
  HRESULT Open(const std::filesystem::path& path);              // 3
  std::int64_t Close();                                         // 4
  std::int64_t LoadSensorData(const std::filesystem::path& video_path);  // 5
  std::int64_t FreeSensorData();                                // 6
  HRESULT Play();                                               // 7
  HRESULT Seek(std::int32_t frame);                             // 8
  HRESULT Pause();                                              // 9
  HRESULT Stop();                                               // 10
  std::int32_t CurrentFrame();                                  // 11
  // Returns once the frame is on screen: S_FALSE when the
  // file ends early (cut short while open) and its last decodable frame is
  // shown instead, a failure when nothing there decodes.
  HRESULT ShowFrame(std::int32_t frame);                        // 12, 13
  std::int64_t SetViewOption(int which, std::int64_t value);    // 14, 16
  HRESULT SetRate(int code);                                    // 18
  HRESULT SlowMotion(double on);                                // 19
  HRESULT SetAspectMode(int mode);                              // 20
  std::int32_t FrameCount();                                    // 21, 22
  float FrameDuration();                                        // 24
  QSize VideoSize();                                            // 25
  HRESULT SetVolume(int volume);                                // 26
  HRESULT OverlayText(const QString& text);                     // 27
  HRESULT RestoreOverlay();                                     // 28
  HRESULT Rotate180(bool on);                                   // 29
  HRESULT ZoomAndPan(double factor, double x, double y);        // 30
  bool SavePicture(const std::filesystem::path& path);          // 31
  HRESULT Repaint();                                            // 32
  HRESULT Redraw();                                             // 33

  // Asks the player to end without waiting for it, so that a pair's views
  // end theirs side by side; Close follows.
  void BeginClose();

  // Open in three steps, so that a pair's views open side by side:
  // BeginOpen and FinishOpen on the driving thread, Load on any one thread
  // between them. Load reads the file and decodes its first picture and
  // touches nothing of the view; FinishOpen gives what Open would have given
  // and reports a failure the same way. Open runs the three in turn. Every
  // BeginOpen is followed by its FinishOpen before any other operation.
  struct Opening {
    std::filesystem::path path;
    std::unique_ptr<CPlayer> player;
    bool timed = false;  // the timing was read
    recording::VideoTiming timing;
    HRESULT result = S_OK;
    std::string why;
  };
  Opening BeginOpen(const std::filesystem::path& path);
  static void Load(Opening& opening);
  HRESULT FinishOpen(Opening opening);

  // Takes sensor data decoded elsewhere (by the window's loader thread) as
  // the open recording's and indexes it by frame; the decode ran outside the
  // file lock, only this swap runs under it. decoded is left empty.
  std::int64_t TakeSensorData(recording::SensorDataFile& decoded);

  // The view's picture at the given size (the window paints this). Safe on
  // any thread while the operations run on the driving thread.
  QImage Compose(const QSize& size);

  ViewState view_state() const { return view_state_; }
  PlayerState player_state() const;
  int rate_code() const { return rate_code_; }
  bool can_play_backwards() const { return false; }
  int volume() const { return volume_; }
  bool media_ready() const;
  const recording::SensorDataFile& sensor_data() const { return data_; }
  // Runs read with the sensor data under the file lock, so that a load or a
  // free never changes it meanwhile; read must not keep references to it.
  void ReadSensorData(const std::function<void(const recording::SensorDataFile&)>& read) const;
  // The open recording's video timing (empty when none is open).
  const recording::VideoTiming& timing() const { return timing_; }
  // The back end, for tools and tests on the driving thread (valid until the
  // next open or close).
  CPlayer* player() { return player_.get(); }
  // The frame on screen and its picture (at native size).
  PublishedFrame FrameOnScreen() const;
  // Waits until frame is on screen; for tools and tests.
  bool WaitForFrame(std::int32_t frame, std::chrono::milliseconds timeout) const;

  void set_error_sink(ErrorSink sink) { errors_ = std::move(sink); }
  // Why the last open or show-frame did not go as asked (empty when it did).
  const std::string& reason() const { return why_; }
  // The slow-motion step period (about a second); tests shorten it.
  void set_slow_step_period(std::chrono::milliseconds period) { slow_period_ = period; }

 private:
  HRESULT Report(HRESULT hr, const std::string& why);
  HRESULT Fail(HRESULT hr, std::string why);
  // Takes the player away from painting and stops it; its decoder and
  // presenter end on the retiring thread.
  void ReleasePlayer();
  void JoinRetiring();
  bool Ready() const;
  // Indexes data_ by the open recording's frames; under the file lock.
  std::int64_t IndexSensorData();
  void ApplyVolume();
  void EndSlowMotion();
  void RunSlowMotion();
  std::int64_t FrameTime(std::int32_t frame) const;

  // Set at construction or at set-up, before any other operation; read-only
  // afterwards, from any thread.
  platform::MessageSink* const owner_;
  platform::MessageSink* const owner_parent_;
  const std::function<void()> repaint_;
  std::shared_ptr<platform::NamedMutex> file_mutex_;
  ErrorSink errors_;  // called on the driving thread, outside the file lock
  QFont overlay_font_;
  std::chrono::milliseconds slow_period_{1000};

  // The driving thread (the one that calls the operations; the UI thread in
  // the viewer), under the file lock. The atomics are also read without it:
  // view_state_ by the slow-motion thread, rate_code_ by rate_code().
  std::atomic<ViewState> view_state_{ViewState::kNothing};
  int volume_ = 65535;
  std::atomic<int> rate_code_{1};
  float frame_duration_ms_ = 0.0f;
  recording::VideoTiming timing_;
  std::int32_t frame_count_ = 0;
  std::int64_t view_options_[2] = {0, 0};
  std::int32_t last_frame_ = 0;
  std::string why_;
  recording::SensorDataFile data_;

  // What painting reads (Compose, FrameOnScreen and the state getters, on
  // whatever thread paints): written by the driving thread under the file
  // lock and picture_lock_, read under either. picture_lock_ is held only to
  // swap a field or to compose one picture, never while a player shuts down
  // or a decode is awaited, so a paint never waits on a decode and an
  // operation waits at most for one compose.
  mutable std::mutex picture_lock_;
  std::unique_ptr<CPlayer> player_;
  QImage overlay_;  // 300 x 120, transparent around the text
  bool rotated_ = false;
  double zoom_ = 1.0, pan_x_ = 0.0, pan_y_ = 0.0;

  // The slow-motion run. The driving thread sets slow_count_ and slow_frame_
  // before it starts the thread, and joins the thread before it sets them
  // again; slow_ is the driving thread's request to stop, the thread's
  // counter slow_frame_ its own while it runs.
  std::atomic<double> slow_{0.0};
  std::atomic<std::int32_t> slow_frame_{0};
  std::int32_t slow_count_ = 0;
  std::thread slow_thread_;  // the driving thread

  // Destroys the last released player (already stopped: it posts and plays
  // nothing more), so that a close does not wait for its decoder and
  // presenter to end. The driving thread starts it and joins it before the
  // next release, at tear-down and at destruction.
  std::thread retiring_;
};

}  // namespace player
