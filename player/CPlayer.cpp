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

// Decoded pictures kept per view: about eight at 1080p, a GOP and more at
// smaller sizes. Counting bytes, not pictures, keeps 4K from taking a
// gigabyte; the decoder's buffers come back to its pool when dropped.
constexpr std::size_t kCacheBytes = 24u << 20;
constexpr std::int32_t kDecodeOnFrames = 30;
constexpr std::int64_t kHundredNs = 10000000;  // positions are in 100-ns units
// Packets read at open in search of a first picture before the file is
// called undecodable.
constexpr int kOpenProbePackets = 600;
// However late decoding runs, a picture reaches the screen this often.
constexpr auto kLateDropLimit = std::chrono::milliseconds(100);

enum class Mode { kIdle, kPlaying, kShowTarget, kPlayFromTarget, kEnded };

std::size_t BytesOf(const AVFrame* f) {
  std::size_t bytes = 0;
  for (const AVBufferRef* b : f->buf) bytes += b != nullptr ? b->size : 0;
  return bytes;
}

}  // namespace

struct CPlayer::Media {
  std::unique_ptr<VideoDecoder> decoder;
  SwsContext* scaler = nullptr;
  Mode mode = Mode::kIdle;
  std::int32_t target = 0;
  // Decoded pictures of the current stretch of the file, by frame number,
  // so that stepping back a little needs no new decode. At most kCacheBytes.
  std::map<std::int32_t, AVFrame*> cache;
  std::size_t cache_bytes = 0;
  std::int32_t last_decoded = -1;
  // A picture whose delivery a command interrupted; delivered first next time.
  AVFrame* pending = nullptr;
  // The seek for the current target: how many key frames before the
  // target's own it started from, and whether no picture came since.
  int earlier = 0;
  bool fresh = false;
  // The last frame that decodes when the file ends early (cut short while
  // open, damaged at the end); -1 while not known.
  std::int32_t decodable_end = -1;
  // The frame asked for when it lay past decodable_end (target is then
  // decodable_end); -1 otherwise.
  std::int32_t asked = -1;
  // The frame a single-frame start left on screen, while the decoder may
  // have run ahead of it; -1 once playing or seeking moved on.
  std::int32_t shown = -1;
  // The next frame to play from the kept pictures, while the decoder stands
  // further on than the picture on screen; -1 when playing decodes.
  std::int32_t replay = -1;
  std::chrono::steady_clock::time_point last_delivery{};

  ~Media() {
    ClearCache();
    av_frame_free(&pending);
    sws_freeContext(scaler);
  }
  void ClearCache() {
    for (auto& [index, f] : cache) av_frame_free(&f);
    cache.clear();
    cache_bytes = 0;
  }
  void Cache(std::int32_t index, const AVFrame* f) {
    if (cache.count(index)) return;
    AVFrame* kept = av_frame_clone(f);
    if (kept == nullptr) return;
    cache[index] = kept;
    cache_bytes += BytesOf(kept);
    // The lowest frames go first: while decoding on they are the oldest, and
    // stepping back wants the ones just before the target.
    while (cache_bytes > kCacheBytes && cache.size() > 1) {
      auto lowest = cache.begin();
      cache_bytes -= BytesOf(lowest->second);
      av_frame_free(&lowest->second);
      cache.erase(lowest);
    }
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
  PrepareOpen();
  LoadOpened(path, timing);
  return StartOpened();
}

void CPlayer::PrepareOpen() {
  Shutdown();
  loaded_ = E_UNEXPECTED;
  closing_ = false;
  // The output is a Qt object of the driving thread; the decoder only needs
  // its format.
  audio_ = options_.sound ? AudioOutput::CreateDefault() : nullptr;
  sound_rate_ = audio_ ? audio_->sample_rate() : 0;
  sound_channels_ = audio_ ? audio_->channels() : 2;
}

HRESULT CPlayer::LoadOpened(const std::filesystem::path& path, const recording::VideoTiming& timing) {
  name_ = path.string();
  if (!timing.valid()) {
    error_ = path.string() + ": the video track has no frames or no timescale";
    return loaded_ = E_INVALIDARG;
  }
  timing_ = timing;
  frame_duration_ = std::max<std::int64_t>(1, FrameTime(1));
  auto media = std::make_unique<Media>();
  VideoDecoder::Settings settings;
  settings.hardware = options_.hardware_decode;
  settings.threads = options_.threads;
  settings.sound_rate = sound_rate_;
  settings.sound_channels = sound_channels_;
  HRESULT opened = S_OK;
  media->decoder = VideoDecoder::Open(path, settings, &closing_, &opened, &error_);
  if (!media->decoder) return loaded_ = opened;
  if (!media->decoder->DecodesAPicture(kOpenProbePackets)) {
    // Damaged media data (zeroed, or not what the header says): no picture
    // would ever appear. A bad file, as those the reader refuses.
    error_ = path.string() + ": no picture decodes (" + media->decoder->error() + ")";
    return loaded_ = E_INVALIDARG;
  }
  // The first picture stays decoded and the decoder goes on after it: frame
  // 0 is shown, or played first, without decoding it again.
  const AVFrame* first = media->decoder->picture();
  const std::int32_t index = IndexOfTicks(media->decoder->TicksOf(first, timing_.timescale()));
  if (index >= 0) {
    media->Cache(index, first);
    media->last_decoded = index;
    media->replay = index;
  }
  hardware_in_use_ = media->decoder->hardware_in_use();
  native_size_ = media->decoder->size();
  media_ = std::move(media);
  return loaded_ = S_OK;
}

HRESULT CPlayer::StartOpened() {
  if (Failed(loaded_)) {
    media_.reset();
    audio_.reset();
    return loaded_;
  }
  if (!media_->decoder->has_sound()) audio_.reset();  // no sound stream or no way to play it: silent
  int32_t result = S_OK;
  EVRCustomPresenter* presenter = activate_.ActivateObject(CMFActivate::Interface::kVideoPresenter, &result);
  presenter->set_frame_duration(frame_duration_);
  clock_.Pause();
  clock_.SetRate(1.0);
  clock_.Start(0);
  clock_.Pause();
  state_ = PlayerState::kOpenPending;  // the worker makes it stopped (ready) when it starts
  worker_ = std::thread([this] { Run(); });
  return S_OK;
}

void CPlayer::RequestStop() {
  if (!worker_.joinable() || closing_.exchange(true)) return;
  state_ = PlayerState::kClosing;
  Post({Command::kQuit});
}

void CPlayer::Stop() {
  if (worker_.joinable()) {
    RequestStop();
    worker_.join();
    if (EVRCustomPresenter* p = activate_.presenter()) p->Flush();
  }
  audio_.reset();
  ready_ = false;
  state_ = PlayerState::kClosed;
}

void CPlayer::Shutdown() {
  Stop();
  activate_.ShutdownObject();
  media_.reset();
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
  if (single) {
    std::lock_guard guard(lock_);
    c.request = ++requests_;
  }
  // Showing one frame starts and pauses at once.
  state_ = single ? PlayerState::kPaused : PlayerState::kStarted;
  Post(c);
  return S_OK;
}

HRESULT CPlayer::WaitForShown(std::chrono::milliseconds timeout, std::string* why) {
  std::unique_lock guard(lock_);
  if (!answered_signal_.wait_for(guard, timeout, [this] { return answered_ >= requests_ || closing_; }) || closing_) {
    return S_OK;
  }
  if (why != nullptr) *why = answer_why_;
  return answer_;
}

void CPlayer::Answer(HRESULT hr, std::string why) {
  std::lock_guard guard(lock_);
  AnswerLocked(hr, std::move(why));
}

void CPlayer::AnswerLocked(HRESULT hr, std::string why) {
  if (in_hand_ <= answered_) return;
  answered_ = in_hand_;
  answer_ = hr;
  answer_why_ = std::move(why);
  answered_signal_.notify_all();
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
    // A request still in hand is overtaken by what comes after it.
    if (c.kind != Command::kRate) AnswerLocked(S_OK, {});
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
        // The decoder ran ahead of the frame shown last: the frames between
        // come from the kept pictures, so none is skipped.
        if (media_->shown >= 0 && media_->last_decoded > media_->shown) media_->replay = media_->shown + 1;
        media_->shown = -1;
        clock_.Start(clock_.Time());
        presenter->OnClockStart();
        media_->mode = Mode::kPlaying;
        break;
      case Command::kStartAt:
        if (c.single) in_hand_ = c.request;
        guard.unlock();
        SeekTo(c.position);
        guard.lock();
        media_->mode = c.single ? Mode::kShowTarget : Mode::kPlayFromTarget;
        if (auto cached = media_->cache.find(media_->target); cached != media_->cache.end()) {
          // A picture already decoded is shown without decoding again; playing
          // on from it takes the later kept pictures first.
          guard.unlock();
          if (c.single) {
            if (DeliverFrame(cached->second)) {
              {
                std::lock_guard relock(lock_);
                media_->mode = Mode::kIdle;
              }
              AnswerShown();
            }
          } else {
            clock_.Start(FrameTime(media_->target));
            presenter->OnClockStart();
            {
              std::lock_guard relock(lock_);
              media_->mode = Mode::kPlaying;
            }
            media_->replay = media_->target + 1;
            DeliverFrame(cached->second);
          }
          guard.lock();
        }
        break;
      case Command::kPause:
        clock_.Pause();
        presenter->OnClockPause();
        if (media_->mode != Mode::kEnded) media_->mode = Mode::kIdle;
        break;
      case Command::kRate:
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
  m.asked = -1;
  m.shown = -1;
  m.replay = -1;
  if (m.decodable_end >= 0 && m.target > m.decodable_end) {
    m.asked = m.target;
    m.target = m.decodable_end;
  }
  clock_.Start(FrameTime(m.target));
  clock_.Pause();
  av_frame_free(&m.pending);
  if (m.cache.count(m.target) && m.target <= m.last_decoded) return;
  // A little ahead of what was decoded last: decoding on is quicker than
  // going back to the key frame.
  if (m.last_decoded >= 0 && m.target > m.last_decoded && m.target - m.last_decoded <= kDecodeOnFrames &&
      !m.decoder->ended()) {
    return;
  }
  SeekDecoder(0);
}

bool CPlayer::SeekEarlier() { return SeekDecoder(media_->earlier + 1); }

bool CPlayer::SeekDecoder(int earlier) {
  Media& m = *media_;
  if (!m.decoder->Seek(timing_.TicksOfFrame(m.target), timing_.timescale(), earlier)) return false;
  m.earlier = earlier;
  m.fresh = true;
  m.ClearCache();
  m.last_decoded = -1;
  return true;
}

HRESULT CPlayer::Shown(std::string* why) const {
  const Media& m = *media_;
  if (m.asked < 0) return S_OK;
  *why = name_ + ": frame " + std::to_string(m.asked) + " lies past the end of what decodes; frame " +
         std::to_string(m.target) + " is shown";
  return S_FALSE;
}

bool CPlayer::DecodedToTheEnd() {
  // The file ended before the target: it was cut short while open, or its
  // last pictures do not decode.
  Media& m = *media_;
  const bool playing = m.mode == Mode::kPlayFromTarget;
  const auto last = m.cache.find(m.last_decoded);
  if (last == m.cache.end()) {
    // Nothing decoded from this key frame on: try the one before.
    if (SeekEarlier()) return true;
    av_frame_free(&m.pending);
    activate_.presenter()->Flush();
    activate_.presenter()->ClearPublished();
    {
      std::lock_guard guard(lock_);
      if (m.mode == Mode::kShowTarget || m.mode == Mode::kPlayFromTarget) m.mode = Mode::kIdle;
    }
    Answer(E_FAIL, name_ + ": no picture decodes at frame " + std::to_string(m.target) + " (" + m.decoder->error() + ")");
    return true;
  }
  m.decodable_end = m.last_decoded;
  m.asked = m.target;
  m.target = m.last_decoded;
  if (playing) {
    // Playing on from past the end: the last picture, then the end.
    clock_.Start(FrameTime(m.target));
    activate_.presenter()->OnClockStart();
    {
      std::lock_guard guard(lock_);
      if (m.mode == Mode::kPlayFromTarget) m.mode = Mode::kPlaying;
    }
    DeliverFrame(last->second);
    return false;
  }
  if (DeliverFrame(last->second)) {
    {
      std::lock_guard guard(lock_);
      if (m.mode == Mode::kShowTarget) m.mode = Mode::kIdle;
    }
    AnswerShown();
  }
  return true;
}

bool CPlayer::DecodeOne() {
  Media& m = *media_;
  if (m.pending != nullptr) {
    if (DeliverFrame(m.pending)) av_frame_free(&m.pending);
    return true;
  }
  if (m.replay >= 0 && m.mode == Mode::kPlaying) {
    if (m.replay <= m.last_decoded) return ReplayKept();
    m.replay = -1;  // caught up with the decoder
  }
  const bool sound = audio_ && m.mode == Mode::kPlaying && clock_.rate() == 1.0;
  const VideoDecoder::Step step = m.decoder->Decode(
      sound ? VideoDecoder::SoundSink([this](const std::int16_t* pcm, std::size_t frames) { audio_->Write(pcm, frames); })
            : VideoDecoder::SoundSink());
  if (step == VideoDecoder::Step::kAgain) return true;
  const bool seeking = m.mode == Mode::kShowTarget || m.mode == Mode::kPlayFromTarget;
  if (step == VideoDecoder::Step::kEnded) return seeking ? DecodedToTheEnd() : false;
  AVFrame* picture = m.decoder->picture();
  const std::int32_t index = IndexOfTicks(m.decoder->TicksOf(picture, timing_.timescale()));
  // The first picture after a seek is already past the target: the
  // target leads its key frame in display order (open GOP) and the decoder
  // drops such pictures after a flush. They decode from an earlier key frame.
  if (seeking && m.fresh && index > m.target && SeekEarlier()) return true;
  m.fresh = false;
  m.Cache(index, picture);
  m.last_decoded = index;
  const bool reached = index >= m.target;
  if (m.mode == Mode::kShowTarget && reached) {
    if (DeliverFrame(picture)) {
      {
        std::lock_guard guard(lock_);
        if (m.mode == Mode::kShowTarget) m.mode = Mode::kIdle;
      }
      AnswerShown();
    }
  } else if (m.mode == Mode::kPlayFromTarget && reached) {
    clock_.Start(FrameTime(index));
    activate_.presenter()->OnClockStart();
    {
      std::lock_guard guard(lock_);
      if (m.mode == Mode::kPlayFromTarget) m.mode = Mode::kPlaying;
    }
    DeliverFrame(picture);
  } else if (m.mode == Mode::kPlaying) {
    // Already late by more than two frames (decoding has fallen behind, as
    // at the start of playback): not converted, so decoding catches up; the
    // scheduler drops late samples the same way once it has later ones.
    const bool late = clock_.Time() - FrameTime(index) > 2 * frame_duration_;
    if (late && std::chrono::steady_clock::now() - m.last_delivery < kLateDropLimit) {
      ++late_dropped_;
    } else {
      DeliverFrame(picture);
    }
  }
  return true;
}

bool CPlayer::ReplayKept() {
  Media& m = *media_;
  const auto kept = m.cache.find(m.replay);
  if (kept == m.cache.end()) {
    // No longer kept: decoded again from its key frame, then played on.
    m.target = m.replay;
    m.replay = -1;
    if (!SeekDecoder(0)) return false;
    std::lock_guard guard(lock_);
    if (m.mode == Mode::kPlaying) m.mode = Mode::kPlayFromTarget;
    return true;
  }
  ++m.replay;
  // An interrupted delivery keeps the picture as pending, delivered first.
  DeliverFrame(kept->second);
  return true;
}

bool CPlayer::DeliverFrame(const AVFrame* frame) {
  Media& m = *media_;
  const std::int32_t index = IndexOfTicks(m.decoder->TicksOf(frame, timing_.timescale()));
  // The picture's time is its frame number's, so the clock and the frame
  // numbers agree exactly.
  const bool delivered = activate_.presenter()->DeliverSample(
      [&](QImage& surface) { return VideoDecoder::ConvertInto(frame, &m.scaler, &surface); }, FrameTime(index), index);
  if (!delivered) {
    // Interrupted by a command: kept to be delivered first next time.
    if (frame != m.pending) {
      av_frame_free(&m.pending);
      m.pending = av_frame_clone(frame);
    }
    return false;
  }
  m.last_delivery = std::chrono::steady_clock::now();
  return true;
}

bool CPlayer::WaitUntilPresented() {
  EVRCustomPresenter* presenter = activate_.presenter();
  while (!presenter->Idle() && !closing_) {
    {
      std::lock_guard guard(lock_);
      if (!commands_.empty()) return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

void CPlayer::AnswerShown() {
  media_->shown = media_->target;
  // A command that comes first answers the request itself.
  if (!WaitUntilPresented()) return;
  std::string why;
  const HRESULT hr = Shown(&why);
  Answer(hr, std::move(why));
}

void CPlayer::EndOfPresentation() {
  // Let the last pictures reach the screen, unless a command comes first.
  if (!WaitUntilPresented()) return;
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
