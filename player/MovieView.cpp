#include "player/MovieView.h"

#include <QFontMetrics>
#include <QPainter>
#include <QTextOption>
#include <cmath>
#include <cstdio>
#include <system_error>

#include "platform/NamedMutexLock.h"
#include "recording/CompanionPath.h"
#include "recording/MappedFileReader.h"
#include "player/RateTables.h"
#include "viewer/settings/UiFontSizes.h"

namespace player {
namespace {

constexpr int kOverlayWidth = 300;
constexpr int kOverlayHeight = 120;
constexpr int kJpegQuality = 92;
// Longer than any decode from a key frame should take; the picture still
// follows after it.
constexpr auto kShowFrameWait = std::chrono::seconds(5);

}  // namespace

MovieView::MovieView(platform::MessageSink* owner, platform::MessageSink* owner_parent, std::function<void()> repaint)
    : owner_(owner), owner_parent_(owner_parent), repaint_(std::move(repaint)) {}

MovieView::~MovieView() {
  TearDown();
  JoinRetiring();
}

HRESULT MovieView::Report(HRESULT hr, const std::string& why) {
  if (Failed(hr) && errors_) errors_(hr, ErrorText(hr), why);
  return hr;
}

HRESULT MovieView::Fail(HRESULT hr, std::string why) {
  why_ = std::move(why);
  return hr;
}

// On the driving thread, or under the picture lock.
bool MovieView::Ready() const { return player_ && player_->has_display(); }

std::int64_t MovieView::FrameTime(std::int32_t frame) const { return timing_.TimeOfFrame(frame, 10000000); }

std::int64_t MovieView::SetUp(const QString& font_face) {
  file_mutex_ = platform::NamedMutex::Create("hFileMutex");
  overlay_font_ = QFont(font_face);
  overlay_font_.setPixelSize(viewer::UiFontPixelHeight(42, 96, 96));
  overlay_font_.setBold(true);
  return 1;
}

std::int64_t MovieView::TearDown() {
  EndSlowMotion();
  if (!file_mutex_) return 1;  // never set up: nothing was loaded
  Close();
  JoinRetiring();
  FreeSensorData();
  return 1;
}

std::int64_t MovieView::IsRecording(const std::filesystem::path& path) {
  platform::NamedMutexLock lock(file_mutex_);
  return recording::IsRecording(path) ? 1 : 0;
}

HRESULT MovieView::Open(const std::filesystem::path& path) {
  Opening opening = BeginOpen(path);
  Load(opening);
  return FinishOpen(std::move(opening));
}

MovieView::Opening MovieView::BeginOpen(const std::filesystem::path& path) {
  platform::NamedMutexLock lock(file_mutex_);
  why_.clear();
  ReleasePlayer();
  view_state_ = ViewState::kNothing;
  timing_ = {};
  CPlayer::Options options;
  options.hardware_decode = view_options_[1] != 0;
  Opening opening;
  opening.path = path;
  opening.player = std::make_unique<CPlayer>(owner_, repaint_, options);
  opening.player->PrepareOpen();
  return opening;
}

void MovieView::Load(Opening& opening) {
  const auto& path = opening.path;
  if (!recording::IsRecording(path)) {
    opening.result = E_INVALIDARG;
    opening.why = path.string() + ": not a recording (no ftyp box at its start)";
    return;
  }
  // The probe's mapped views are gone before playback starts. Its frame
  // count is bounded by the file, so indexing sensor data by frame is too.
  auto timing = recording::VideoTiming::Read(path);
  if (!timing) {
    opening.result = E_INVALIDARG;
    opening.why = timing.error();
    return;
  }
  opening.timing = *timing;
  opening.timed = true;
  opening.result = opening.player->LoadOpened(path, opening.timing);
  if (Failed(opening.result)) opening.why = opening.player->error();
}

HRESULT MovieView::FinishOpen(Opening opening) {
  HRESULT hr = opening.result;
  {
    platform::NamedMutexLock lock(file_mutex_);
    if (opening.timed) {
      timing_ = opening.timing;
      frame_duration_ms_ = static_cast<float>(timing_.frame_duration_ms());
      frame_count_ = timing_.frame_count();
      data_.set_frame_duration(frame_duration_ms_);
    }
    if (!Failed(hr)) {
      hr = opening.player->StartOpened();
      if (Failed(hr)) opening.why = opening.player->error();
    }
    why_ = opening.why;
    if (!Failed(hr)) {
      {
        // Painting sees no player or a whole, open one.
        std::lock_guard paint(picture_lock_);
        player_ = std::move(opening.player);
      }
      rate_code_ = 1;
      ApplyVolume();
      last_frame_ = 0;
      view_state_ = ViewState::kStopped;
    }
  }
  // A player that did not open is let go here, on the driving thread: its
  // sound output is a Qt object of this thread.
  opening.player.reset();
  // Reported after the lock is released: the viewer shows a message box.
  return Report(hr, opening.why);
}

void MovieView::ReleasePlayer() {
  std::unique_ptr<CPlayer> player;
  {
    std::lock_guard paint(picture_lock_);
    player = std::move(player_);
  }
  if (!player) return;
  // Stopped outside the picture lock: joining the worker takes a while.
  player->Stop();
  JoinRetiring();
  try {
    retiring_ = std::thread([player = std::move(player)]() mutable { player.reset(); });
  } catch (const std::system_error&) {
    // No thread to be had: the player was destroyed here, with the lambda.
  }
}

void MovieView::JoinRetiring() {
  if (retiring_.joinable()) retiring_.join();
}

void MovieView::BeginClose() {
  platform::NamedMutexLock lock(file_mutex_);
  if (player_) player_->RequestStop();
}

std::int64_t MovieView::Close() {
  EndSlowMotion();
  platform::NamedMutexLock lock(file_mutex_);
  ReleasePlayer();
  view_state_ = ViewState::kNothing;
  std::lock_guard paint(picture_lock_);
  overlay_ = QImage();
  return 1;
}

std::int64_t MovieView::LoadSensorData(const std::filesystem::path& video_path) {
  platform::NamedMutexLock lock(file_mutex_);
  data_.Free();
  const auto data_path = recording::DataPath(video_path);
  if (recording::IsDataFile(data_path)) data_.Load(data_path);
  return IndexSensorData();
}

std::int64_t MovieView::TakeSensorData(recording::SensorDataFile& decoded) {
  platform::NamedMutexLock lock(file_mutex_);
  recording::SensorDataFile::Move(decoded, data_);
  return IndexSensorData();
}

std::int64_t MovieView::IndexSensorData() {
  data_.set_frame_duration(frame_duration_ms_);
  return data_.IndexFrames(frame_count_) ? 1 : 0;
}

void MovieView::ReadSensorData(const std::function<void(const recording::SensorDataFile&)>& read) const {
  if (!file_mutex_) return read(data_);  // never set up: nothing loads
  platform::NamedMutexLock lock(file_mutex_);
  read(data_);
}

std::int64_t MovieView::FreeSensorData() {
  platform::NamedMutexLock lock(file_mutex_);
  data_.Free();
  return 1;
}

HRESULT MovieView::Play() {
  platform::NamedMutexLock lock(file_mutex_);
  if (!player_) return E_UNEXPECTED;
  if (!Ready()) return 0;
  if (view_state_ == ViewState::kPlaying) return S_OK;
  player_->presenter()->SetSingleFrameControl(1, 0, 0);
  const HRESULT hr = player_->Play();
  if (Failed(hr)) return hr;
  view_state_ = ViewState::kPlaying;
  return S_OK;
}

HRESULT MovieView::Seek(std::int32_t frame) {
  platform::NamedMutexLock lock(file_mutex_);
  if (!Ready()) return 0;
  if (view_state_ != ViewState::kPlaying) return S_OK;  // while paused the owner shows frames instead
  player_->presenter()->SetSingleFrameControl(0, 0, 0);
  return player_->StartAt(FrameTime(frame), false);
}

HRESULT MovieView::Pause() {
  platform::NamedMutexLock lock(file_mutex_);
  if (!Ready()) return 0;
  if (view_state_ == ViewState::kPaused) return S_OK;
  if (player_->state() == PlayerState::kStarted) player_->Pause();
  view_state_ = ViewState::kPaused;
  return S_OK;
}

HRESULT MovieView::Stop() {
  platform::NamedMutexLock lock(file_mutex_);
  if (!Ready()) return 0;
  if (view_state_ == ViewState::kStopped) return S_OK;
  // The picture stays on the current frame.
  if (player_->state() == PlayerState::kStarted) player_->Pause();
  view_state_ = ViewState::kStopped;
  return S_OK;
}

std::int32_t MovieView::CurrentFrame() {
  platform::NamedMutexLock lock(file_mutex_);
  if (!Ready()) return 0;
  const PublishedFrame shown = player_->presenter()->Published();
  if (shown.frame >= 0) last_frame_ = shown.frame;
  return last_frame_;
}

HRESULT MovieView::ShowFrame(std::int32_t frame) {
  HRESULT hr;
  std::string why;
  {
    platform::NamedMutexLock lock(file_mutex_);
    if (!Ready()) return 0;
    frame = std::clamp(frame, 0, std::max(0, frame_count_ - 1));
    player_->presenter()->SetSingleFrameControl(1, 1, 0);
    hr = player_->StartAt(FrameTime(frame), true);
    if (Failed(hr)) return hr;
    // The outcome is known only once the picture is on screen: a frame past
    // the end of what decodes must not pass for the frame asked for.
    hr = player_->WaitForShown(kShowFrameWait, &why);
    why_ = why;
    player_->presenter()->RepaintVideo();
  }
  return Report(hr, why);
}

std::int64_t MovieView::SetViewOption(int which, std::int64_t value) {
  view_options_[which == 0 ? 0 : 1] = value;
  return 1;
}

void MovieView::ApplyVolume() {
  if (!player_) return;
  const bool sound = rate_code_ == 1 && slow_.load() == 0.0;
  player_->SetVolume(sound ? static_cast<float>(volume_) / 65535.0f : 0.0f);
}

HRESULT MovieView::SetRate(int code) {
  platform::NamedMutexLock lock(file_mutex_);
  if (!player_) return E_UNEXPECTED;
  int stored = code;
  double speed = SpeedOfRateCode(code, can_play_backwards());
  if (code == -1 && !can_play_backwards()) {
    // -1 toggles between normal and half speed.
    if (rate_code_ == -2) {
      stored = 1;
      speed = 1.0;
    } else if (rate_code_ == 1) {
      stored = -2;
      speed = 0.5;
    } else {
      stored = -1;
      speed = 1.0;
    }
  }
  rate_code_ = stored;
  ApplyVolume();
  return player_->SetRate(speed, speed > 2.0);
}

HRESULT MovieView::SlowMotion(double on) {
  EndSlowMotion();
  platform::NamedMutexLock lock(file_mutex_);
  if (!player_) return E_UNEXPECTED;
  if (on != 0.0) {
    if (!(frame_duration_ms_ > 0.0f)) return E_FAIL;
    slow_ = on;
    ApplyVolume();
    player_->presenter()->SetSingleFrameControl(1, 0, 0);
    if (player_->state() != PlayerState::kStarted) player_->Play();
    slow_count_ = frame_count_;
    const PublishedFrame shown = player_->presenter()->Published();
    slow_frame_ = std::max(0, shown.frame);
    player_->Pause();
    slow_thread_ = std::thread([this] { RunSlowMotion(); });
    return S_OK;
  }
  slow_ = 0.0;
  player_->presenter()->SetSingleFrameControl(1, 0, 0);
  if (player_->state() != PlayerState::kStarted) player_->Play();
  const int code = rate_code_;
  ApplyVolume();
  return player_->SetRate(SpeedOfRateCode(code, false), SpeedOfRateCode(code, false) > 2.0);
}

void MovieView::EndSlowMotion() {
  if (!slow_thread_.joinable()) return;
  slow_ = 0.0;
  slow_thread_.join();
}

void MovieView::RunSlowMotion() {
  const auto step = slow_period_ / 100;
  while (slow_.load() != 0.0) {
    for (int i = 0; i < 100 && slow_.load() != 0.0; ++i) std::this_thread::sleep_for(step);
    if (slow_.load() == 0.0) break;
    if (view_state_ == ViewState::kPaused) continue;
    const std::int32_t frame = slow_frame_;
    if (owner_parent_ != nullptr) owner_parent_->Post(WM_SLOW_STEP, 0, frame);
    slow_frame_ = frame + 1;
    if (slow_frame_ >= slow_count_) {
      if (owner_parent_ != nullptr) owner_parent_->Post(WM_SLOW_STEP_END, 0, slow_frame_);
      slow_frame_ = 0;
      break;
    }
  }
}

HRESULT MovieView::SetAspectMode(int mode) {
  platform::NamedMutexLock lock(file_mutex_);
  if (!player_) return E_UNEXPECTED;
  player_->presenter()->SetAspectRatioMode(mode == 1);
  if (repaint_) repaint_();
  return S_OK;
}

std::int32_t MovieView::FrameCount() {
  platform::NamedMutexLock lock(file_mutex_);
  return player_ ? frame_count_ : 0;
}

float MovieView::FrameDuration() {
  platform::NamedMutexLock lock(file_mutex_);
  return frame_duration_ms_;
}

QSize MovieView::VideoSize() {
  platform::NamedMutexLock lock(file_mutex_);
  return player_ ? player_->native_size() : QSize();
}

HRESULT MovieView::SetVolume(int volume) {
  platform::NamedMutexLock lock(file_mutex_);
  volume_ = std::clamp(volume, 0, 65535);
  ApplyVolume();
  return S_OK;
}

HRESULT MovieView::OverlayText(const QString& text) {
  // Drawn once here on a transparent image; every paint only composes it.
  QImage overlay(kOverlayWidth, kOverlayHeight, QImage::Format_ARGB32_Premultiplied);
  overlay.fill(Qt::transparent);
  QPainter painter(&overlay);
  painter.setFont(overlay_font_);
  painter.setPen(QColor(0, 255, 0));
  painter.drawText(QRect(0, 0, kOverlayWidth, kOverlayHeight), Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text);
  painter.end();
  platform::NamedMutexLock lock(file_mutex_);
  {
    std::lock_guard paint(picture_lock_);
    overlay_ = overlay;
  }
  if (repaint_) repaint_();
  return S_OK;
}

HRESULT MovieView::RestoreOverlay() {
  platform::NamedMutexLock lock(file_mutex_);
  {
    std::lock_guard paint(picture_lock_);
    overlay_ = QImage();
  }
  if (repaint_) repaint_();
  return S_OK;
}

HRESULT MovieView::Rotate180(bool on) {
  platform::NamedMutexLock lock(file_mutex_);
  if (!Ready()) return 0;
  {
    std::lock_guard paint(picture_lock_);
    rotated_ = on;
  }
  if (repaint_) repaint_();
  return S_OK;
}

HRESULT MovieView::ZoomAndPan(double factor, double x, double y) {
  platform::NamedMutexLock lock(file_mutex_);
  if (!Ready()) return 0;
  {
    std::lock_guard paint(picture_lock_);
    zoom_ = std::max(1.0, factor);
    pan_x_ = std::clamp(x, 0.0, 1.0 - 1.0 / zoom_);
    pan_y_ = std::clamp(y, 0.0, 1.0 - 1.0 / zoom_);
  }
  if (repaint_) repaint_();
  return S_OK;
}

bool MovieView::SavePicture(const std::filesystem::path& path) {
  platform::NamedMutexLock lock(file_mutex_);
  if (!player_) return false;
  const QImage picture = player_->presenter()->GetCurrentImage();
  if (picture.isNull()) return false;
  // Written whole under another name first, so a failure leaves nothing behind.
  std::string temp_name = ".";
  temp_name.append(path.filename().string()).append(".part");
  const std::filesystem::path temp = path.parent_path() / temp_name;
  if (!picture.save(QString::fromStdString(temp.string()), "JPG", kJpegQuality)) {
    std::error_code ec;
    std::filesystem::remove(temp, ec);
    return false;
  }
  std::error_code ec;
  std::filesystem::rename(temp, path, ec);
  if (ec) std::filesystem::remove(temp, ec);
  return !ec;
}

HRESULT MovieView::Repaint() {
  platform::NamedMutexLock lock(file_mutex_);
  if (!player_) return E_UNEXPECTED;
  player_->presenter()->RepaintVideo();
  return S_OK;
}

HRESULT MovieView::Redraw() {
  if (repaint_) repaint_();
  return S_OK;
}

PublishedFrame MovieView::FrameOnScreen() const {
  std::lock_guard paint(picture_lock_);
  return player_ ? player_->presenter()->Published() : PublishedFrame{};
}

bool MovieView::media_ready() const {
  std::lock_guard paint(picture_lock_);
  return Ready();
}

PlayerState MovieView::player_state() const {
  std::lock_guard paint(picture_lock_);
  return player_ ? player_->state() : PlayerState::kClosed;
}

bool MovieView::WaitForFrame(std::int32_t frame, std::chrono::milliseconds timeout) const {
  const auto until = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < until) {
    if (FrameOnScreen().frame == frame) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return FrameOnScreen().frame == frame;
}

QImage MovieView::Compose(const QSize& size) {
  // Held while composing: an open or close waits at most for one picture.
  std::lock_guard paint(picture_lock_);
  if (!player_) {
    QImage black(size.isEmpty() ? QSize(1, 1) : size, QImage::Format_RGB32);
    black.fill(Qt::black);
    return black;
  }
  EVRCustomPresenter* presenter = player_->presenter();
  const QRectF source(pan_x_, pan_y_, 1.0 / zoom_, 1.0 / zoom_);
  // Corners exchanged: the picture turned by 180 degrees.
  const QRect destination = rotated_ ? QRect(QPoint(size.width() - 1, size.height() - 1), QPoint(0, 0)) : QRect();
  presenter->SetVideoPosition(source, destination);
  const PublishedFrame shown = presenter->Published();
  QImage out = presenter->engine().Compose(shown.image, size);
  if (!overlay_.isNull() && !shown.image.isNull()) {
    // Bottom-right corner, at the size 300 x 120 video pixels take in the view.
    const QSize native = player_->native_size();
    const double scale = presenter->engine().keep_aspect()
                             ? std::min(double(size.width()) / native.width(), double(size.height()) / native.height())
                             : double(size.width()) / native.width();
    const QSize box(static_cast<int>(kOverlayWidth * scale), static_cast<int>(kOverlayHeight * scale));
    const QSize picture = presenter->engine().keep_aspect() ? QSize(int(native.width() * scale), int(native.height() * scale)) : size;
    const QPoint origin((size.width() + picture.width()) / 2 - box.width(), (size.height() + picture.height()) / 2 - box.height());
    QPainter painter(&out);
    painter.drawImage(QRect(origin, box), overlay_);
  }
  return out;
}

}  // namespace player
