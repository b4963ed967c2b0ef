#pragma once

#include <cstdint>
#include <memory>

namespace player {

// Where decoded sound goes: 16-bit interleaved PCM at the output's rate and
// channel count. Without a sound device nothing is played and nothing fails.
class AudioOutput {
 public:
  virtual ~AudioOutput() = default;
  virtual int sample_rate() const = 0;
  virtual int channels() const = 0;
  virtual void Write(const std::int16_t* samples, std::size_t frames) = 0;
  virtual void SetVolume(float volume) = 0;  // 0 to 1
  virtual void Flush() = 0;

  // The default device through Qt Multimedia, or null when there is none.
  static std::unique_ptr<AudioOutput> CreateDefault();
};

}  // namespace player
