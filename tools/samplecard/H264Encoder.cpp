#include "tools/samplecard/H264Encoder.h"

#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/log.h>
#include <libavutil/opt.h>
}

namespace samplecard {

struct H264Encoder::Impl {
  AVCodecContext* context = nullptr;
  AVFrame* frame = nullptr;
  AVPacket* packet = nullptr;
  ~Impl() {
    av_packet_free(&packet);
    av_frame_free(&frame);
    avcodec_free_context(&context);
  }
};

std::vector<std::vector<std::uint8_t>> SplitAnnexB(const std::uint8_t* data, std::size_t size) {
  std::vector<std::vector<std::uint8_t>> units;
  std::size_t i = 0;
  auto start_code_at = [&](std::size_t at, std::size_t* length) {
    if (at + 3 <= size && data[at] == 0 && data[at + 1] == 0 && data[at + 2] == 1) {
      *length = 3;
      return true;
    }
    if (at + 4 <= size && data[at] == 0 && data[at + 1] == 0 && data[at + 2] == 0 && data[at + 3] == 1) {
      *length = 4;
      return true;
    }
    return false;
  };
  std::size_t code = 0;
  while (i < size && !start_code_at(i, &code)) ++i;
  while (i < size) {
    const std::size_t begin = i + code;
    std::size_t end = begin;
    while (end < size && !start_code_at(end, &code)) ++end;
    std::size_t trimmed = end;
    while (trimmed > begin && data[trimmed - 1] == 0 && end < size) --trimmed;  // trailing zero bytes
    if (trimmed > begin) units.emplace_back(data + begin, data + trimmed);
    i = end;
  }
  return units;
}

namespace {

std::vector<std::uint8_t> BuildAvcConfig(const std::uint8_t* extradata, int size) {
  if (size > 0 && extradata[0] == 1) return {extradata, extradata + size};  // already avcC
  std::vector<std::uint8_t> sps, pps;
  for (auto& unit : SplitAnnexB(extradata, static_cast<std::size_t>(size))) {
    if ((unit[0] & 0x1F) == 7 && sps.empty()) sps = unit;
    if ((unit[0] & 0x1F) == 8 && pps.empty()) pps = unit;
  }
  if (sps.size() < 4 || pps.empty()) return {};
  std::vector<std::uint8_t> config = {1, sps[1], sps[2], sps[3], 0xFF, 0xE1};
  config.push_back(static_cast<std::uint8_t>(sps.size() >> 8));
  config.push_back(static_cast<std::uint8_t>(sps.size()));
  config.insert(config.end(), sps.begin(), sps.end());
  config.push_back(1);
  config.push_back(static_cast<std::uint8_t>(pps.size() >> 8));
  config.push_back(static_cast<std::uint8_t>(pps.size()));
  config.insert(config.end(), pps.begin(), pps.end());
  return config;
}

}  // namespace

platform::Expected<std::unique_ptr<H264Encoder>> H264Encoder::Create(const EncoderSettings& s) {
  using Result = platform::Expected<std::unique_ptr<H264Encoder>>;
  av_log_set_level(AV_LOG_ERROR);
  const AVCodec* codec = avcodec_find_encoder_by_name("libx264");
  if (codec == nullptr) return Result::Failure("no H.264 encoder (libx264) in this libavcodec");
  std::unique_ptr<H264Encoder> encoder(new H264Encoder);
  encoder->impl_ = std::make_unique<Impl>();
  Impl& impl = *encoder->impl_;
  impl.context = avcodec_alloc_context3(codec);
  AVCodecContext* c = impl.context;
  c->width = s.width;
  c->height = s.height;
  c->pix_fmt = AV_PIX_FMT_YUV420P;
  c->time_base = AVRational{s.frame_delta, s.timescale};
  c->framerate = AVRational{s.timescale, s.frame_delta};
  c->gop_size = s.gop;
  c->keyint_min = s.gop;
  c->max_b_frames = 0;
  c->thread_count = 1;
  c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  av_opt_set(c->priv_data, "preset", "veryfast", 0);
  av_opt_set(c->priv_data, "tune", "zerolatency", 0);
  av_opt_set(c->priv_data, "profile", "main", 0);
  av_opt_set_double(c->priv_data, "crf", s.crf, 0);
  av_opt_set(c->priv_data, "x264-params", "scenecut=0:open-gop=0:bframes=0:sliced-threads=0:threads=1", 0);
  if (avcodec_open2(c, codec, nullptr) < 0) return Result::Failure("cannot open the H.264 encoder");
  encoder->avc_config_ = BuildAvcConfig(c->extradata, c->extradata_size);
  if (encoder->avc_config_.empty()) return Result::Failure("the H.264 encoder gave no parameter sets");
  impl.frame = av_frame_alloc();
  impl.frame->format = AV_PIX_FMT_YUV420P;
  impl.frame->width = s.width;
  impl.frame->height = s.height;
  if (av_frame_get_buffer(impl.frame, 0) < 0) return Result::Failure("out of memory for an encoder frame");
  impl.packet = av_packet_alloc();
  return Result(std::move(encoder));
}

H264Encoder::~H264Encoder() = default;

bool H264Encoder::Encode(const YuvImage& image, std::vector<EncodedFrame>* out) {
  AVFrame* f = impl_->frame;
  if (av_frame_make_writable(f) < 0) return false;
  for (int row = 0; row < image.height; ++row) {
    std::memcpy(f->data[0] + row * f->linesize[0], image.y.data() + static_cast<std::size_t>(row) * image.width,
                static_cast<std::size_t>(image.width));
  }
  for (int row = 0; row < image.chroma_height(); ++row) {
    const std::size_t from = static_cast<std::size_t>(row) * image.chroma_width();
    std::memcpy(f->data[1] + row * f->linesize[1], image.u.data() + from, static_cast<std::size_t>(image.chroma_width()));
    std::memcpy(f->data[2] + row * f->linesize[2], image.v.data() + from, static_cast<std::size_t>(image.chroma_width()));
  }
  f->pts = next_pts_++;
  if (avcodec_send_frame(impl_->context, f) < 0) return false;
  return Drain(out);
}

bool H264Encoder::Flush(std::vector<EncodedFrame>* out) {
  if (avcodec_send_frame(impl_->context, nullptr) < 0) return false;
  return Drain(out);
}

bool H264Encoder::Drain(std::vector<EncodedFrame>* out) {
  for (;;) {
    const int rc = avcodec_receive_packet(impl_->context, impl_->packet);
    if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) return true;
    if (rc < 0) return false;
    EncodedFrame frame;
    frame.key = (impl_->packet->flags & AV_PKT_FLAG_KEY) != 0;
    for (auto& unit : SplitAnnexB(impl_->packet->data, static_cast<std::size_t>(impl_->packet->size))) {
      const int type = unit[0] & 0x1F;
      if (type == 7 || type == 8 || type == 9) continue;  // parameter sets live in avcC
      const std::uint32_t n = static_cast<std::uint32_t>(unit.size());
      const std::uint8_t length[4] = {static_cast<std::uint8_t>(n >> 24), static_cast<std::uint8_t>(n >> 16),
                                      static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n)};
      frame.data.insert(frame.data.end(), length, length + 4);
      frame.data.insert(frame.data.end(), unit.begin(), unit.end());
    }
    out->push_back(std::move(frame));
    av_packet_unref(impl_->packet);
  }
}

}  // namespace samplecard
