#include "player/VideoDecoder.h"

#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/hwcontext.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

namespace player {
namespace {

AVPixelFormat PickHardwareFormat(AVCodecContext*, const AVPixelFormat* formats) {
  for (const AVPixelFormat* f = formats; *f != AV_PIX_FMT_NONE; ++f) {
    if (*f == AV_PIX_FMT_VAAPI) return *f;
  }
  return formats[0];
}

std::string FfmpegText(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}

int Interrupted(void* opaque) { return opaque != nullptr && static_cast<std::atomic<bool>*>(opaque)->load() ? 1 : 0; }

AVCodecContext* OpenCodec(const AVCodec* codec, const AVCodecParameters* parameters, int threads, AVBufferRef* hardware) {
  AVCodecContext* context = avcodec_alloc_context3(codec);
  avcodec_parameters_to_context(context, parameters);
  context->thread_count = threads;
  if (hardware != nullptr) {
    context->hw_device_ctx = av_buffer_ref(hardware);
    context->get_format = PickHardwareFormat;
  }
  if (avcodec_open2(context, codec, nullptr) < 0) avcodec_free_context(&context);
  return context;
}

}  // namespace

std::unique_ptr<VideoDecoder> VideoDecoder::Open(const std::filesystem::path& path, const Settings& settings,
                                                 std::atomic<bool>* interrupt, HRESULT* result, std::string* why) {
  auto fail = [&](const std::string& reason) -> std::unique_ptr<VideoDecoder> {
    *result = VFW_E_NO_DECODER;
    *why = path.string() + ": " + reason;
    return nullptr;
  };
  std::unique_ptr<VideoDecoder> d(new VideoDecoder);
  d->format_ = avformat_alloc_context();
  d->format_->interrupt_callback = {Interrupted, interrupt};
  if (const int e = avformat_open_input(&d->format_, path.c_str(), nullptr, nullptr); e < 0) {
    return fail("cannot be opened (" + FfmpegText(e) + ")");
  }
  // No stream probe (avformat_find_stream_info): the container's header
  // already says what the decoders need. What only decoding tells (the
  // pixel format, the picture's size, the sound's true rate and channels)
  // is taken from the decoded pictures and sound frames themselves, and the
  // probe would decode the first pictures once more, single-threaded: for
  // H.264 seven of them, to guess a reordering delay the decoder works out
  // from the stream itself.
  const AVCodec* codec = nullptr;
  d->video_stream_ = av_find_best_stream(d->format_, AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
  if (d->video_stream_ < 0 || codec == nullptr) return fail("no video decoder for this file");
  const AVStream* stream = d->format_->streams[d->video_stream_];
  d->time_base_num_ = stream->time_base.num;
  d->time_base_den_ = stream->time_base.den;
  d->start_pts_ = stream->start_time == AV_NOPTS_VALUE ? 0 : stream->start_time;
  if (settings.hardware && av_hwdevice_ctx_create(&d->hardware_, AV_HWDEVICE_TYPE_VAAPI, nullptr, nullptr, 0) == 0) {
    d->video_ = OpenCodec(codec, stream->codecpar, settings.threads, d->hardware_);
    d->hardware_in_use_ = d->video_ != nullptr;
  }
  // Without hardware decoding, silently, when it is not there.
  if (d->video_ == nullptr) d->video_ = OpenCodec(codec, stream->codecpar, settings.threads, nullptr);
  if (d->video_ == nullptr) return fail("the video decoder cannot be opened");
  d->size_ = QSize(d->video_->width, d->video_->height);

  const AVCodec* audio_codec = nullptr;
  d->audio_stream_ =
      settings.sound_rate > 0 ? av_find_best_stream(d->format_, AVMEDIA_TYPE_AUDIO, -1, -1, &audio_codec, 0) : -1;
  if (d->audio_stream_ >= 0 && audio_codec != nullptr) {
    d->audio_ = OpenCodec(audio_codec, d->format_->streams[d->audio_stream_]->codecpar, 1, nullptr);
    AVChannelLayout out;
    av_channel_layout_default(&out, settings.sound_channels);
    if (d->audio_ == nullptr ||
        swr_alloc_set_opts2(&d->resampler_, &out, AV_SAMPLE_FMT_S16, settings.sound_rate, &d->audio_->ch_layout,
                            d->audio_->sample_fmt, d->audio_->sample_rate, 0, nullptr) < 0 ||
        swr_init(d->resampler_) < 0) {
      // The sound cannot be played: the recording plays on without it.
      avcodec_free_context(&d->audio_);
      swr_free(&d->resampler_);
    }
    av_channel_layout_uninit(&out);
  }
  if (d->audio_ == nullptr) d->audio_stream_ = -1;
  if (d->audio_ != nullptr) d->sound_in_ = {d->audio_->sample_rate, d->audio_->sample_fmt, d->audio_->ch_layout.nb_channels};
  d->sound_rate_ = settings.sound_rate;
  d->sound_channels_ = settings.sound_channels;
  d->packet_ = av_packet_alloc();
  d->frame_ = av_frame_alloc();
  d->transfer_ = av_frame_alloc();
  d->sound_ = av_frame_alloc();
  *result = S_OK;
  return d;
}

VideoDecoder::~VideoDecoder() {
  av_frame_free(&sound_);
  av_frame_free(&transfer_);
  av_frame_free(&frame_);
  av_packet_free(&packet_);
  swr_free(&resampler_);
  avcodec_free_context(&audio_);
  avcodec_free_context(&video_);
  av_buffer_unref(&hardware_);
  avformat_close_input(&format_);
}

VideoDecoder::Step VideoDecoder::Decode(const SoundSink& sound) {
  const int got = avcodec_receive_frame(video_, frame_);
  if (got == 0) {
    picture_ = frame_;
    if (frame_->format == AV_PIX_FMT_VAAPI) {
      av_frame_unref(transfer_);
      if (av_hwframe_transfer_data(transfer_, frame_, 0) < 0) return Step::kAgain;
      av_frame_copy_props(transfer_, frame_);
      picture_ = transfer_;
    }
    return Step::kPicture;
  }
  if (got == AVERROR_EOF || input_ended_) return got == AVERROR_EOF ? Step::kEnded : Step::kAgain;
  if (const int e = av_read_frame(format_, packet_); e < 0) {
    if (e != AVERROR_EOF) error_ = "reading stopped (" + FfmpegText(e) + ")";
    input_ended_ = true;
    avcodec_send_packet(video_, nullptr);  // drain what the decoder holds
    return Step::kAgain;
  }
  if (packet_->stream_index == video_stream_) {
    if (const int e = avcodec_send_packet(video_, packet_); e < 0 && e != AVERROR(EAGAIN)) {
      error_ = "the video data does not decode (" + FfmpegText(e) + ")";
    }
  } else if (packet_->stream_index == audio_stream_ && sound && avcodec_send_packet(audio_, packet_) == 0) {
    while (avcodec_receive_frame(audio_, sound_) == 0) {
      if (!FitResampler(sound_)) {
        av_frame_unref(sound_);
        continue;
      }
      const int frames = swr_get_out_samples(resampler_, sound_->nb_samples);
      std::vector<std::int16_t> pcm(static_cast<std::size_t>(std::max(0, frames) * sound_channels_));
      std::uint8_t* out[1] = {reinterpret_cast<std::uint8_t*>(pcm.data())};
      const int converted =
          swr_convert(resampler_, out, frames, const_cast<const std::uint8_t**>(sound_->extended_data), sound_->nb_samples);
      if (converted > 0) sound(pcm.data(), static_cast<std::size_t>(converted));
      av_frame_unref(sound_);
    }
  }
  av_packet_unref(packet_);
  return Step::kAgain;
}

std::int64_t VideoDecoder::TicksOf(const AVFrame* frame, std::uint32_t timescale) const {
  const std::int64_t pts = frame->best_effort_timestamp == AV_NOPTS_VALUE ? frame->pts : frame->best_effort_timestamp;
  return av_rescale_q(pts - start_pts_, AVRational{time_base_num_, time_base_den_}, AVRational{1, static_cast<int>(timescale)});
}

bool VideoDecoder::Seek(std::int64_t ticks, std::uint32_t timescale, int earlier) {
  const AVRational track{1, static_cast<int>(timescale)}, stream{time_base_num_, time_base_den_};
  AVStream* video = format_->streams[video_stream_];
  std::int64_t ts = start_pts_ + av_rescale_q(ticks, track, stream);
  if (earlier > 0 && avformat_index_get_entries_count(video) > 0) {
    // The index lists every sample; step back over earlier key frames.
    int key = av_index_search_timestamp(video, ts, AVSEEK_FLAG_BACKWARD), stepped = 0;
    for (int i = key - 1; i >= 0 && stepped < earlier; --i) {
      if (avformat_index_get_entry(video, i)->flags & AVINDEX_KEYFRAME) {
        key = i;
        ++stepped;
      }
    }
    if (key < 0 || stepped < earlier) return false;
    ts = avformat_index_get_entry(video, key)->timestamp;
  } else if (earlier > 0) {
    // Without an index, a second further back for each step.
    ts -= av_rescale_q(earlier, AVRational{1, 1}, stream);
    if (ts < start_pts_) return false;
  }
  av_seek_frame(format_, video_stream_, ts, AVSEEK_FLAG_BACKWARD);
  avcodec_flush_buffers(video_);
  if (audio_) avcodec_flush_buffers(audio_);
  input_ended_ = false;
  picture_ = nullptr;
  return true;
}

bool VideoDecoder::FitResampler(AVFrame* sound) {
  const SoundFormat in{sound->sample_rate, sound->format, sound->ch_layout.nb_channels};
  if (resampler_ != nullptr && in == sound_in_) return true;
  // The header can be wrong about the sound until it decodes (HE-AAC
  // doubles the rate it states, a channel configuration of 0 gives none).
  swr_free(&resampler_);
  sound_in_ = in;
  AVChannelLayout out;
  av_channel_layout_default(&out, sound_channels_);
  const bool fitted = swr_alloc_set_opts2(&resampler_, &out, AV_SAMPLE_FMT_S16, sound_rate_, &sound->ch_layout,
                                          static_cast<AVSampleFormat>(sound->format), sound->sample_rate, 0, nullptr) >= 0 &&
                      swr_init(resampler_) >= 0;
  av_channel_layout_uninit(&out);
  if (!fitted) swr_free(&resampler_);
  return fitted;
}

bool VideoDecoder::DecodesAPicture(int max_packets) {
  bool got = false;
  for (int packets = 0; packets < max_packets && !got;) {
    const Step step = Decode({});
    if (step == Step::kEnded) break;
    got = step == Step::kPicture;
    packets += step == Step::kAgain;
  }
  if (!got && error_.empty()) error_ = "no picture in the video data";
  if (got) {
    error_.clear();
    size_ = QSize(picture_->width, picture_->height);
  }
  return got;
}

void VideoDecoder::SetThinning(bool on) { video_->skip_frame = on ? AVDISCARD_NONKEY : AVDISCARD_DEFAULT; }

QImage VideoDecoder::ToImage(const AVFrame* frame, SwsContext** scaler) {
  QImage image;
  return ConvertInto(frame, scaler, &image) ? image : QImage();
}

bool VideoDecoder::ConvertInto(const AVFrame* frame, SwsContext** scaler, QImage* into) {
  const QSize size(frame->width, frame->height);
  // Never written in place while a copy of it is on screen.
  if (into->size() != size || into->format() != QImage::Format_RGB32 || !into->isDetached()) {
    *into = QImage(size, QImage::Format_RGB32);
  }
  *scaler = sws_getCachedContext(*scaler, frame->width, frame->height, static_cast<AVPixelFormat>(frame->format),
                                 frame->width, frame->height, AV_PIX_FMT_BGRA, SWS_BILINEAR, nullptr, nullptr, nullptr);
  if (*scaler == nullptr || into->isNull()) return false;
  std::uint8_t* planes[1] = {into->bits()};
  const int strides[1] = {static_cast<int>(into->bytesPerLine())};
  sws_scale(*scaler, frame->data, frame->linesize, 0, frame->height, planes, strides);
  return true;
}

}  // namespace player
