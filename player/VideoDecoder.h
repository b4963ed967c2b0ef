#pragma once

#include <QImage>
#include <QSize>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "player/PlayerMessages.h"

struct AVBufferRef;
struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;
struct SwrContext;
struct SwsContext;

namespace player {

// libavformat and libavcodec for one recording: the video stream decoded
// (VA-API when asked for and present, software otherwise), the sound
// resampled to 16-bit PCM for the output. One thread at a time: opened on
// the driving thread, then used by the player's worker alone (only the
// interrupt flag is set from outside).
class VideoDecoder {
 public:
  struct Settings {
    bool hardware = false;
    int threads = 0;        // decoder threads; 0 picks by the machine
    int sound_rate = 0;     // 0: no sound
    int sound_channels = 2;
  };
  // Null with the result (VFW_E_NO_DECODER for a file without a decodable
  // video stream) and the reason. interrupt, when set, ends blocking reads.
  static std::unique_ptr<VideoDecoder> Open(const std::filesystem::path& path, const Settings& settings,
                                            std::atomic<bool>* interrupt, HRESULT* result, std::string* why);
  ~VideoDecoder();

  enum class Step { kPicture, kAgain, kEnded };
  // Decodes on: kPicture when picture() holds the next picture, kAgain when
  // a packet was read, kEnded when everything is decoded. Sound packets go
  // to sound when it is set.
  using SoundSink = std::function<void(const std::int16_t* samples, std::size_t frames)>;
  Step Decode(const SoundSink& sound);
  // The picture just decoded (in system memory) and its frame number in the
  // video track's timescale units.
  AVFrame* picture() const { return picture_; }
  // A decoded picture's time in the video track's timescale, from the start.
  std::int64_t TicksOf(const AVFrame* frame, std::uint32_t timescale) const;
  // Goes to the key frame at or before ticks (video timescale units), or
  // that many key frames further back (earlier > 0): pictures that lead a
  // key frame in display order (open GOP) decode only from an earlier one.
  // False, staying where it is, when there is no key frame that far back.
  bool Seek(std::int64_t ticks, std::uint32_t timescale, int earlier = 0);
  // Decodes up to the first picture within max_packets packets and stays
  // there: picture() holds it and decoding goes on after it, so the first
  // picture is never decoded twice; size() is then the picture's. False,
  // with the reason in error(), when none comes.
  bool DecodesAPicture(int max_packets);
  // Why the last open, read or decode failed, in FFmpeg's words.
  const std::string& error() const { return error_; }
  // Decodes only key frames while on.
  void SetThinning(bool on);
  static QImage ToImage(const AVFrame* frame, ::SwsContext** scaler);
  // The same into an image that is reused when it has the size and no one
  // else shares it (reallocated otherwise). False when the format cannot be
  // converted.
  static bool ConvertInto(const AVFrame* frame, ::SwsContext** scaler, QImage* into);

  QSize size() const { return size_; }
  bool hardware_in_use() const { return hardware_in_use_; }
  bool has_sound() const { return audio_ != nullptr; }
  // The whole file has been read (only a seek goes on from here).
  bool ended() const { return input_ended_; }

 private:
  // What the resampler was set up for: rate, sample format, channels.
  struct SoundFormat {
    int rate = 0, format = -1, channels = 0;
    bool operator==(const SoundFormat&) const = default;
  };
  VideoDecoder() = default;
  // Sets the resampler up for sound frames like this one; false when they
  // cannot be converted (the frame is then dropped).
  bool FitResampler(::AVFrame* sound);
  ::AVFormatContext* format_ = nullptr;
  ::AVCodecContext* video_ = nullptr;
  ::AVCodecContext* audio_ = nullptr;
  ::AVBufferRef* hardware_ = nullptr;
  ::SwrContext* resampler_ = nullptr;
  ::AVPacket* packet_ = nullptr;
  AVFrame* frame_ = nullptr;
  AVFrame* transfer_ = nullptr;
  AVFrame* sound_ = nullptr;
  AVFrame* picture_ = nullptr;
  int video_stream_ = -1;
  int audio_stream_ = -1;
  int sound_rate_ = 0;
  int sound_channels_ = 2;
  SoundFormat sound_in_;
  std::int64_t start_pts_ = 0;
  int time_base_num_ = 1, time_base_den_ = 1;
  bool input_ended_ = false;
  bool hardware_in_use_ = false;
  QSize size_;
  std::string error_;
};

}  // namespace player
