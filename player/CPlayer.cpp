#include "player/CPlayer.h"

#include <map>

#include "player/AudioOutput.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/hwcontext.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

namespace player {
namespace {

constexpr std::size_t kCachedFrames = 64;

enum class Mode { kIdle, kPlaying, kShowTarget, kPlayFromTarget, kEnded };

AVPixelFormat PickHardwareFormat(AVCodecContext*, const AVPixelFormat* formats) {
  for (const AVPixelFormat* f = formats; *f != AV_PIX_FMT_NONE; ++f) {
    if (*f == AV_PIX_FMT_VAAPI) return *f;
  }
  return formats[0];
}

int Interrupted(void* opaque) { return static_cast<std::atomic<bool>*>(opaque)->load() ? 1 : 0; }

}  // namespace

struct CPlayer::Media {
  AVFormatContext* format = nullptr;
  AVCodecContext* video = nullptr;
  AVCodecContext* audio = nullptr;
  AVBufferRef* hardware = nullptr;
  SwsContext* scaler = nullptr;
  SwrContext* resampler = nullptr;
  AVPacket* packet = nullptr;
  AVFrame* frame = nullptr;
  AVFrame* transfer = nullptr;
  int video_stream = -1;
  int audio_stream = -1;
  AVRational time_base{1, 1};
  std::int64_t start_pts = 0;
  Mode mode = Mode::kIdle;
  std::int32_t target = 0;
  bool input_ended = false;
  // Decoded pictures of the current stretch of the file, by frame number,
  // so that stepping back within a GOP needs no new decode.
  std::map<std::int32_t, AVFrame*> cache;
  std::int32_t last_decoded = -1;
  // A picture whose delivery a command interrupted; delivered first next time.
  QImage pending;
  std::int32_t pending_frame = -1;

  ~Media() {
    ClearCache();
    av_frame_free(&transfer);
    av_frame_free(&frame);
    av_packet_free(&packet);
    sws_freeContext(scaler);
    swr_free(&resampler);
    avcodec_free_context(&audio);
    avcodec_free_context(&video);
    av_buffer_unref(&hardware);
    avformat_close_input(&format);
  }
  void ClearCache() {
    for (auto& [index, f] : cache) av_frame_free(&f);
    cache.clear();
  }
  void Cache(std::int32_t index, const AVFrame* f) {
    if (cache.count(index)) return;
    if (cache.size() >= kCachedFrames) {
      // Keep the frames nearest to the one just decoded.
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

std::int64_t CPlayer::FrameTime(std::int32_t frame) const {
  return av_rescale(static_cast<std::int64_t>(frame) * delta_, 10000000, timescale_);
}

std::int32_t CPlayer::IndexOfPts(std::int64_t pts) const {
  const std::int64_t ticks = av_rescale_q(pts - media_->start_pts, media_->time_base, AVRational{1, static_cast<int>(timescale_)});
  return static_cast<std::int32_t>((ticks + delta_ / 2) / delta_);
}

HRESULT CPlayer::Open(const std::filesystem::path& path, std::uint32_t timescale, std::uint32_t delta,
                      std::int32_t frame_count) {
  Shutdown();
  if (timescale == 0 || delta == 0 || frame_count <= 0) return E_INVALIDARG;
  timescale_ = timescale;
  delta_ = delta;
  frame_duration_ = std::max<std::int64_t>(1, FrameTime(1));
  frame_count_ = frame_count;
  duration_ = FrameTime(frame_count);
  closing_ = false;
  auto media = std::make_unique<Media>();
  media->format = avformat_alloc_context();
  media->format->interrupt_callback = {Interrupted, &closing_};
  if (avformat_open_input(&media->format, path.c_str(), nullptr, nullptr) < 0) {
    error_ = path.string() + ": cannot be opened";
    return VFW_E_NO_DECODER;
  }
  if (avformat_find_stream_info(media->format, nullptr) < 0) {
    error_ = path.string() + ": no readable streams";
    return VFW_E_NO_DECODER;
  }
  const AVCodec* codec = nullptr;
  media->video_stream = av_find_best_stream(media->format, AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
  if (media->video_stream < 0 || codec == nullptr) {
    error_ = path.string() + ": no video decoder for this file";
    return VFW_E_NO_DECODER;
  }
  AVStream* stream = media->format->streams[media->video_stream];
  media->time_base = stream->time_base;
  media->start_pts = stream->start_time == AV_NOPTS_VALUE ? 0 : stream->start_time;
  media->video = avcodec_alloc_context3(codec);
  avcodec_parameters_to_context(media->video, stream->codecpar);
  media->video->thread_count = 0;
  if (options_.hardware_decode &&
      av_hwdevice_ctx_create(&media->hardware, AV_HWDEVICE_TYPE_VAAPI, nullptr, nullptr, 0) == 0) {
    media->video->hw_device_ctx = av_buffer_ref(media->hardware);
    media->video->get_format = PickHardwareFormat;
    hardware_in_use_ = true;
  }
  if (avcodec_open2(media->video, codec, nullptr) < 0) {
    // Without the hardware path, or not at all.
    avcodec_free_context(&media->video);
    hardware_in_use_ = false;
    media->video = avcodec_alloc_context3(codec);
    avcodec_parameters_to_context(media->video, stream->codecpar);
    media->video->thread_count = 0;
    if (avcodec_open2(media->video, codec, nullptr) < 0) {
      error_ = path.string() + ": the video decoder cannot be opened";
      return VFW_E_NO_DECODER;
    }
  }
  native_size_ = QSize(media->video->width, media->video->height);
  // Sound, when there is a stream, a decoder and a device; otherwise the
  // recording plays silently.
  const AVCodec* audio_codec = nullptr;
  media->audio_stream = options_.sound ? av_find_best_stream(media->format, AVMEDIA_TYPE_AUDIO, -1, -1, &audio_codec, 0) : -1;
  if (media->audio_stream >= 0 && audio_codec != nullptr) {
    audio_ = AudioOutput::CreateDefault();
    media->audio = avcodec_alloc_context3(audio_codec);
    avcodec_parameters_to_context(media->audio, media->format->streams[media->audio_stream]->codecpar);
    AVChannelLayout out_layout;
    av_channel_layout_default(&out_layout, audio_ ? audio_->channels() : 2);
    if (!audio_ || avcodec_open2(media->audio, audio_codec, nullptr) < 0 ||
        swr_alloc_set_opts2(&media->resampler, &out_layout, AV_SAMPLE_FMT_S16, audio_->sample_rate(),
                            &media->audio->ch_layout, media->audio->sample_fmt, media->audio->sample_rate, 0,
                            nullptr) < 0 ||
        swr_init(media->resampler) < 0) {
      // The no-audio retry: play on without sound.
      avcodec_free_context(&media->audio);
      swr_free(&media->resampler);
      audio_.reset();
      media->audio_stream = -1;
    }
    av_channel_layout_uninit(&out_layout);
  }
  sound_in_use_ = audio_ != nullptr;
  media->packet = av_packet_alloc();
  media->frame = av_frame_alloc();
  media->transfer = av_frame_alloc();

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
        media_->video->skip_frame = c.thin ? AVDISCARD_NONKEY : AVDISCARD_DEFAULT;
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
  const std::int32_t last = std::max(0, frame_count_ - 1);
  const std::int64_t ticks = av_rescale(position, timescale_, 10000000);
  m.target = static_cast<std::int32_t>(std::clamp<std::int64_t>((ticks + delta_ / 2) / delta_, 0, last));
  clock_.Start(FrameTime(m.target));
  clock_.Pause();
  m.pending = QImage();
  m.pending_frame = -1;
  if (m.cache.count(m.target) && m.target <= m.last_decoded) return;
  const std::int64_t ts = m.start_pts + av_rescale_q(static_cast<std::int64_t>(m.target) * delta_,
                                                     AVRational{1, static_cast<int>(timescale_)}, m.time_base);
  av_seek_frame(m.format, m.video_stream, ts, AVSEEK_FLAG_BACKWARD);
  avcodec_flush_buffers(m.video);
  if (m.audio) avcodec_flush_buffers(m.audio);
  m.ClearCache();
  m.input_ended = false;
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
  const int got = avcodec_receive_frame(m.video, m.frame);
  if (got == 0) {
    AVFrame* picture = m.frame;
    if (m.frame->format == AV_PIX_FMT_VAAPI) {
      av_frame_unref(m.transfer);
      if (av_hwframe_transfer_data(m.transfer, m.frame, 0) < 0) return true;
      av_frame_copy_props(m.transfer, m.frame);
      picture = m.transfer;
    }
    const std::int64_t pts = picture->best_effort_timestamp == AV_NOPTS_VALUE ? picture->pts : picture->best_effort_timestamp;
    const std::int32_t index = IndexOfPts(pts);
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
    av_frame_unref(m.frame);
    return true;
  }
  if (got == AVERROR_EOF) {
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
  if (m.input_ended) return false;
  const int read = av_read_frame(m.format, m.packet);
  if (read < 0) {
    m.input_ended = true;
    avcodec_send_packet(m.video, nullptr);  // drain what the decoder holds
    return true;
  }
  if (m.packet->stream_index == m.video_stream) {
    avcodec_send_packet(m.video, m.packet);
  } else if (m.packet->stream_index == m.audio_stream && m.audio && m.mode == Mode::kPlaying && clock_.rate() == 1.0) {
    if (avcodec_send_packet(m.audio, m.packet) == 0) {
      AVFrame* sound = av_frame_alloc();
      while (avcodec_receive_frame(m.audio, sound) == 0) {
        const int out_frames = swr_get_out_samples(m.resampler, sound->nb_samples);
        std::vector<std::int16_t> pcm(static_cast<std::size_t>(std::max(0, out_frames)) * static_cast<std::size_t>(audio_->channels()));
        std::uint8_t* out[1] = {reinterpret_cast<std::uint8_t*>(pcm.data())};
        const int converted = swr_convert(m.resampler, out, out_frames, const_cast<const std::uint8_t**>(sound->extended_data),
                                          sound->nb_samples);
        if (converted > 0) audio_->Write(pcm.data(), static_cast<std::size_t>(converted));
        av_frame_unref(sound);
      }
      av_frame_free(&sound);
    }
  }
  av_packet_unref(m.packet);
  return true;
}

void CPlayer::DeliverFrame(AVFrame* frame) {
  Media& m = *media_;
  QImage image(frame->width, frame->height, QImage::Format_RGB32);
  m.scaler = sws_getCachedContext(m.scaler, frame->width, frame->height, static_cast<AVPixelFormat>(frame->format),
                                  frame->width, frame->height, AV_PIX_FMT_BGRA, SWS_BILINEAR, nullptr, nullptr, nullptr);
  if (m.scaler == nullptr) return;
  std::uint8_t* planes[1] = {image.bits()};
  const int strides[1] = {static_cast<int>(image.bytesPerLine())};
  sws_scale(m.scaler, frame->data, frame->linesize, 0, frame->height, planes, strides);
  const std::int64_t pts = frame->best_effort_timestamp == AV_NOPTS_VALUE ? frame->pts : frame->best_effort_timestamp;
  const std::int32_t index = IndexOfPts(pts);
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
