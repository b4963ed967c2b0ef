#include "player/CPlayer.h"

#include <map>

#include "player/AudioOutput.h"
#include "player/VideoDecoder.h"

extern "C" {
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

namespace player {
namespace {

constexpr std::size_t kCachedFrames = 64;
constexpr std::int32_t kDecodeOnFrames = 30;
constexpr std::int64_t kHundredNs = 10000000;  // positions are in 100-ns units

enum class Mode { kIdle, kPlaying, kShowTarget, kPlayFromTarget, kEnded };

}  // namespace

struct CPlayer::Media {
  std::unique_ptr<VideoDecoder> decoder;
  SwsContext* scaler = nullptr;
  Mode mode = Mode::kIdle;
  std::int32_t target = 0;
  // Decoded pictures of the current stretch of the file, by frame number,
  // so that stepping back within a GOP needs no new decode.
  std::map<std::int32_t, AVFrame*> cache;
  std::int32_t last_decoded = -1;
  // A picture whose delivery a command interrupted; delivered first next time.
  QImage pending;
  std::int32_t pending_frame = -1;

  ~Media() {
    ClearCache();
    sws_freeContext(scaler);
  }
  void ClearCache() {
    for (auto& [index, f] : cache) av_frame_free(&f);
    cache.clear();
  }
  void Cache(std::int32_t index, const AVFrame* f) {
    if (cache.count(index)) return;
    if (cache.size() >= kCachedFrames) {
      auto oldest = cache.begin();
      av_frame_free(&oldest->second);
      cache.erase(oldest);
    }
    cache[index] = av_frame_clone(f);
  }
};

CPlayer::CPlayer(platform::MessageSink* owner, std::function<void()> repaint, Options options)
    : owner_(owner), options_(options), activate_(clock_, std::move(repaint)) {}

CPlayer::~CPlayer() { Shutdown(); }

std::int64_t CPlayer::FrameTime(std::int32_t frame) const { return timing_.TimeOfFrame(frame, kHundredNs); }

std::int32_t CPlayer::IndexOfTicks(std::int64_t ticks) const {
  return static_cast<std::int32_t>(timing_.FrameNearestTicks(ticks));
}

HRESULT CPlayer::Open(const std::filesystem::path& path, const recording::VideoTiming& timing) {
  Shutdown();
  if (!timing.valid()) return E_INVALIDARG;
  timing_ = timing;
  frame_duration_ = std::max<std::int64_t>(1, FrameTime(1));
  duration_ = FrameTime(timing.frame_count());
  closing_ = false;
  auto media = std::make_unique<Media>();
  audio_ = options_.sound ? AudioOutput::CreateDefault() : nullptr;
  VideoDecoder::Settings settings;
  settings.hardware = options_.hardware_decode;
  settings.threads = options_.threads;
  settings.sound_rate = audio_ ? audio_->sample_rate() : 0;
  settings.sound_channels = audio_ ? audio_->channels() : 2;
  HRESULT opened = S_OK;
  media->decoder = VideoDecoder::Open(path, settings, &closing_, &opened, &error_);
  if (!media->decoder) {
    audio_.reset();
    return opened;
  }
  if (!media->decoder->has_sound()) audio_.reset();  // no sound stream or no way to play it: silent
  hardware_in_use_ = media->decoder->hardware_in_use();
  sound_in_use_ = audio_ != nullptr;
  native_size_ = media->decoder->size();

  int32_t result = S_OK;
  EVRCustomPresenter* presenter = activate_.ActivateObject(CMFActivate::Interface::kVideoPresenter, &result);
  presenter->set_native_size(native_size_);
  presenter->set_frame_duration(frame_duration_);
  clock_.Pause();
  clock_.SetRate(1.0);
  clock_.Start(0);
  clock_.Pause();
  media_ = std::move(media);
  state_ = PlayerState::kOpenPending;  // the worker makes it stopped (ready) when it starts
  worker_ = std::thread([this] { Run(); });
  return S_OK;
}

void CPlayer::Shutdown() {
  if (!worker_.joinable()) {
    state_ = PlayerState::kClosed;
    return;
  }
  state_ = PlayerState::kClosing;
  closing_ = true;
  Post({Command::kQuit});
  worker_.join();
  if (EVRCustomPresenter* p = activate_.presenter()) p->Flush();
  activate_.ShutdownObject();
  media_.reset();
  audio_.reset();
  ready_ = false;
  state_ = PlayerState::kClosed;
}

void CPlayer::Post(Command command) {
  // The single-frame control values the view set for this command; the
  // worker applies them when it takes the command, so that a command still
  // queued cannot use the values meant for a later one.
  if (EVRCustomPresenter* p = activate_.presenter()) command.control = p->single_frame_control();
  {
    std::lock_guard guard(lock_);
    commands_.push_back(command);
  }
  if (EVRCustomPresenter* p = activate_.presenter()) p->Interrupt();
  wake_.notify_all();
}

HRESULT CPlayer::Play() {
  if (!worker_.joinable()) return E_UNEXPECTED;
  const PlayerState s = state_;
  if (s != PlayerState::kPaused && s != PlayerState::kStopped) return MF_E_INVALIDREQUEST;
  state_ = PlayerState::kStarted;
  Post({Command::kPlay});
  return S_OK;
}

HRESULT CPlayer::StartAt(std::int64_t position, bool single) {
  if (!worker_.joinable()) return E_UNEXPECTED;
  Command c{Command::kStartAt};
  c.position = position;
  c.single = single;
  // Showing one frame starts and pauses at once.
  state_ = single ? PlayerState::kPaused : PlayerState::kStarted;
  Post(c);
  return S_OK;
}

HRESULT CPlayer::Pause() {
  if (!worker_.joinable()) return E_UNEXPECTED;
  if (state_ != PlayerState::kStarted) return MF_E_INVALIDREQUEST;
  state_ = PlayerState::kPaused;
  Post({Command::kPause});
  return S_OK;
}

HRESULT CPlayer::SetRate(double rate, bool thin) {
  if (!worker_.joinable()) return E_UNEXPECTED;
  if (!EVRCustomPresenter::IsRateSupported(rate)) return E_INVALIDARG;
  // The clock follows at once; the decoder's thinning on its own thread.
  clock_.SetRate(rate);
  Command c{Command::kRate};
  c.rate = rate;
  c.thin = thin;
  Post(c);
  return S_OK;
}

void CPlayer::SetVolume(float volume) {
  if (audio_) audio_->SetVolume(volume);
}

void CPlayer::Run() {
  ready_ = true;
  state_ = PlayerState::kStopped;
  if (owner_ != nullptr) owner_->Post(WM_PLAYER_READY, 0, 0);
  std::unique_lock guard(lock_);
  for (;;) {
    if (!HandleCommands(guard)) return;
    const Mode mode = media_->mode;
    if (mode == Mode::kIdle || mode == Mode::kEnded) {
      wake_.wait(guard, [this] { return !commands_.empty(); });
      continue;
    }
    guard.unlock();
    const bool more = DecodeOne();
    guard.lock();
    if (!more && media_->mode == Mode::kPlaying) {
      guard.unlock();
      EndOfPresentation();
      guard.lock();
    }
  }
}

bool CPlayer::HandleCommands(std::unique_lock<std::mutex>& guard) {
  EVRCustomPresenter* presenter = activate_.presenter();
  while (!commands_.empty()) {
    const Command c = commands_.front();
    commands_.pop_front();
    if (c.kind == Command::kPlay || c.kind == Command::kStartAt) {
      presenter->SetSingleFrameControl(c.control[0], c.control[1], c.control[2]);
    }
    switch (c.kind) {
      case Command::kQuit:
        return false;
      case Command::kPlay:
        if (media_->mode == Mode::kEnded) {
          guard.unlock();
          EndOfPresentation();
          guard.lock();
          break;
        }
        clock_.Start(clock_.Time());
        presenter->OnClockStart();
        media_->mode = Mode::kPlaying;
        break;
      case Command::kStartAt:
        guard.unlock();
        SeekTo(c.position);
        guard.lock();
        media_->mode = c.single ? Mode::kShowTarget : Mode::kPlayFromTarget;
        if (c.single) {
          // A picture already decoded is shown without decoding again.
          auto cached = media_->cache.find(media_->target);
          if (cached != media_->cache.end()) {
            guard.unlock();
            DeliverFrame(cached->second);
            guard.lock();
            media_->mode = Mode::kIdle;
          }
        }
        break;
      case Command::kPause:
        clock_.Pause();
        presenter->OnClockPause();
        if (media_->mode != Mode::kEnded) media_->mode = Mode::kIdle;
        break;
      case Command::kRate:
        presenter->SetRate(c.rate);
        // Above x2 only key frames are decoded, so decoding keeps up with the clock.
        media_->decoder->SetThinning(c.thin);
        if (audio_ && c.rate != 1.0) audio_->Flush();
        break;
    }
  }
  return true;
}

void CPlayer::SeekTo(std::int64_t position) {
  Media& m = *media_;
  EVRCustomPresenter* presenter = activate_.presenter();
  clock_.Pause();
  presenter->OnClockPause();
  presenter->Flush();
  if (audio_) audio_->Flush();
  m.target = timing_.FrameAtTime(position, kHundredNs);
  clock_.Start(FrameTime(m.target));
  clock_.Pause();
  m.pending = QImage();
  m.pending_frame = -1;
  if (m.cache.count(m.target) && m.target <= m.last_decoded) return;
  // A little ahead of what was decoded last: decoding on is quicker than
  // going back to the key frame.
  if (m.last_decoded >= 0 && m.target > m.last_decoded && m.target - m.last_decoded <= kDecodeOnFrames &&
      !m.decoder->ended()) {
    return;
  }
  m.decoder->Seek(timing_.TicksOfFrame(m.target), timing_.timescale());
  m.ClearCache();
  m.last_decoded = -1;
}

bool CPlayer::DecodeOne() {
  Media& m = *media_;
  if (m.pending_frame >= 0) {
    QImage image = m.pending;
    if (activate_.presenter()->DeliverSample(std::move(image), FrameTime(m.pending_frame), m.pending_frame)) {
      m.pending = QImage();
      m.pending_frame = -1;
    }
    return true;
  }
  const bool sound = audio_ && m.mode == Mode::kPlaying && clock_.rate() == 1.0;
  const VideoDecoder::Step step = m.decoder->Decode(
      sound ? VideoDecoder::SoundSink([this](const std::int16_t* pcm, std::size_t frames) { audio_->Write(pcm, frames); })
            : VideoDecoder::SoundSink());
  if (step == VideoDecoder::Step::kAgain) return true;
  if (step == VideoDecoder::Step::kEnded) {
    // Everything decoded. A target past the last picture shows the last one.
    if (m.mode == Mode::kShowTarget || m.mode == Mode::kPlayFromTarget) {
      auto last = m.cache.rbegin();
      if (last != m.cache.rend()) DeliverFrame(last->second);
      std::lock_guard guard(lock_);
      m.mode = Mode::kIdle;
      return true;
    }
    return false;
  }
  AVFrame* picture = m.decoder->picture();
  const std::int32_t index = IndexOfTicks(m.decoder->TicksOf(picture, timing_.timescale()));
  m.Cache(index, picture);
  m.last_decoded = index;
  const bool reached = index >= m.target;
  if (m.mode == Mode::kShowTarget && reached) {
    DeliverFrame(picture);
    std::lock_guard guard(lock_);
    if (m.mode == Mode::kShowTarget) m.mode = Mode::kIdle;
  } else if (m.mode == Mode::kPlayFromTarget && reached) {
    clock_.Start(FrameTime(index));
    activate_.presenter()->OnClockStart();
    {
      std::lock_guard guard(lock_);
      if (m.mode == Mode::kPlayFromTarget) m.mode = Mode::kPlaying;
    }
    DeliverFrame(picture);
  } else if (m.mode == Mode::kPlaying) {
    DeliverFrame(picture);
  }
  return true;
}

void CPlayer::DeliverFrame(AVFrame* frame) {
  Media& m = *media_;
  QImage image = VideoDecoder::ToImage(frame, &m.scaler);
  if (image.isNull()) return;
  const std::int32_t index = IndexOfTicks(m.decoder->TicksOf(frame, timing_.timescale()));
  // The picture's time is its frame number's, so the clock and the frame
  // numbers agree exactly.
  QImage kept = image;  // shares the pixels; kept only if the delivery is interrupted
  if (!activate_.presenter()->DeliverSample(std::move(image), FrameTime(index), index)) {
    m.pending = kept;
    m.pending_frame = index;
  }
}

void CPlayer::EndOfPresentation() {
  // Let the last pictures reach the screen, unless a command comes first.
  EVRCustomPresenter* presenter = activate_.presenter();
  while (!presenter->Idle() && !closing_) {
    {
      std::lock_guard guard(lock_);
      if (!commands_.empty()) return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  {
    std::lock_guard guard(lock_);
    media_->mode = Mode::kEnded;
  }
  state_ = PlayerState::kStopped;
  clock_.Pause();
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  if (owner_ != nullptr && !closing_) owner_->Post(WM_PLAYER_ENDED, 0, 0);
}

}  // namespace player
