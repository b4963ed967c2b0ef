#include "player/AudioOutput.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QCoreApplication>
#include <QIODevice>
#include <QMediaDevices>
#include <algorithm>
#include <deque>
#include <mutex>

namespace player {
namespace {

// The sink pulls sound from here on its own thread; the decoder pushes into it.
class SoundBuffer : public QIODevice {
 public:
  void Push(const std::int16_t* samples, std::size_t count) {
    std::lock_guard guard(lock_);
    const auto* bytes = reinterpret_cast<const char*>(samples);
    data_.insert(data_.end(), bytes, bytes + count * sizeof(std::int16_t));
    // Never more than about two seconds of sound waiting.
    const std::size_t limit = 2 * 48000 * 2 * sizeof(std::int16_t);
    if (data_.size() > limit) data_.erase(data_.begin(), data_.begin() + static_cast<std::ptrdiff_t>(data_.size() - limit));
  }
  void Clear() {
    std::lock_guard guard(lock_);
    data_.clear();
  }
  bool isSequential() const override { return true; }
  qint64 bytesAvailable() const override {
    std::lock_guard guard(lock_);
    return static_cast<qint64>(data_.size()) + QIODevice::bytesAvailable();
  }

 protected:
  qint64 readData(char* out, qint64 max) override {
    std::lock_guard guard(lock_);
    const auto n = static_cast<std::size_t>(std::min<qint64>(max, static_cast<qint64>(data_.size())));
    std::copy_n(data_.begin(), n, out);
    data_.erase(data_.begin(), data_.begin() + static_cast<std::ptrdiff_t>(n));
    // Silence rather than an underrun while the decoder catches up.
    std::fill(out + n, out + max, 0);
    return max;
  }
  qint64 writeData(const char*, qint64) override { return -1; }

 private:
  mutable std::mutex lock_;  // guards data_: written by the decoder, read by the sink
  std::deque<char> data_;
};

class QtAudioOutput : public AudioOutput {
 public:
  QtAudioOutput(const QAudioDevice& device, const QAudioFormat& format) : format_(format) {
    buffer_.open(QIODevice::ReadOnly);
    sink_ = std::make_unique<QAudioSink>(device, format);
    sink_->start(&buffer_);
  }
  ~QtAudioOutput() override {
    sink_->stop();
    buffer_.close();
  }
  int sample_rate() const override { return format_.sampleRate(); }
  int channels() const override { return format_.channelCount(); }
  void Write(const std::int16_t* samples, std::size_t frames) override {
    buffer_.Push(samples, frames * static_cast<std::size_t>(format_.channelCount()));
  }
  void SetVolume(float volume) override { sink_->setVolume(volume); }
  void Flush() override { buffer_.Clear(); }

 private:
  QAudioFormat format_;
  SoundBuffer buffer_;
  std::unique_ptr<QAudioSink> sink_;
};

}  // namespace

std::unique_ptr<AudioOutput> AudioOutput::CreateDefault() {
  if (QCoreApplication::instance() == nullptr) return nullptr;
  const QAudioDevice device = QMediaDevices::defaultAudioOutput();
  if (device.isNull()) return nullptr;
  QAudioFormat format;
  format.setSampleRate(48000);
  format.setChannelCount(2);
  format.setSampleFormat(QAudioFormat::Int16);
  if (!device.isFormatSupported(format)) format = device.preferredFormat();
  if (format.sampleFormat() != QAudioFormat::Int16) return nullptr;
  return std::make_unique<QtAudioOutput>(device, format);
}

}  // namespace player
