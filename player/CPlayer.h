#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/MessageSink.h"
#include "player/CMFActivate.h"
#include "player/PlayerMessages.h"
#include "player/PresentationClock.h"
#include "recording/VideoTiming.h"

struct AVFrame;

namespace player {

enum class PlayerState { kClosed = 0, kReady = 1, kOpenPending = 2, kStarted = 3, kPaused = 4, kStopped = 5, kClosing = 6 };

class AudioOutput;

// The playback back end: libavformat demuxing and libavcodec decoding on a
// worker thread, a presentation clock that honours the rate, the presenter,
// and the sound through an audio output when there is one.
//
// The public operations run on one driving thread (the view's); the worker
// takes their commands through a queue. Each field below says which thread
// owns it or which lock guards it.
class CPlayer {
 public:
  struct Options {
    bool hardware_decode = false;  // VA-API when present, silently software otherwise
    bool sound = true;
    int threads = 0;  // decoder threads; 0 picks by the machine
  };
  CPlayer(platform::MessageSink* owner, std::function<void()> repaint, Options options);
  ~CPlayer();
  CPlayer(const CPlayer&) = delete;
  CPlayer& operator=(const CPlayer&) = delete;

  // Opens the file and starts the worker; WM_PLAYER_READY follows when the
  // first picture is decoded. Fails with VFW_E_NO_DECODER for a file without
  // a video decoder, E_INVALIDARG when its first pictures do not decode;
  // error() says why.
  // Every conversion between frames and times is the video timing's.
  HRESULT Open(const std::filesystem::path& path, const recording::VideoTiming& timing);
  // Open in three steps, so that several players open side by side:
  // PrepareOpen and StartOpened on the driving thread, LoadOpened on any one
  // thread between them. LoadOpened reads the file and decodes the first
  // picture, and touches nothing of Qt's or the driving thread's; a failure
  // there is StartOpened's result too.
  void PrepareOpen();
  HRESULT LoadOpened(const std::filesystem::path& path, const recording::VideoTiming& timing);
  HRESULT StartOpened();
  std::int64_t FrameTime(std::int32_t frame) const;  // 100-ns units
  // Asks the worker to end and returns at once; Stop waits for it. Lets
  // several players end side by side.
  void RequestStop();
  // Ends the worker and lets go of the sound output: nothing is posted or
  // played after it. What is left (the presenter, the decoder) holds no Qt
  // object and may be destroyed on any thread.
  void Stop();
  // Stops and lets go of everything.
  void Shutdown();

  // Resume from the current position (states 4 and 5 only).
  HRESULT Play();
  // Start at a position: single = show that frame and hold (show frame);
  // otherwise go on playing from it (seek while playing).
  HRESULT StartAt(std::int64_t position, bool single);
  // Waits until the last single-frame start has put its picture on screen
  // and gives its outcome: S_OK, S_FALSE when the frame lies
  // past the end of what decodes and the last frame that does is shown, or
  // a failure when no picture decodes there; why says what happened. S_OK
  // when the timeout passes first (the picture follows).
  HRESULT WaitForShown(std::chrono::milliseconds timeout, std::string* why);
  // Decoded pictures skipped while playing because they were already late.
  std::int64_t late_dropped() const { return late_dropped_; }
  HRESULT Pause();
  HRESULT SetRate(double rate, bool thin);
  void SetVolume(float volume);

  PlayerState state() const { return state_; }
  bool has_display() const { return ready_; }
  EVRCustomPresenter* presenter() { return activate_.presenter(); }
  const PresentationClock& clock() const { return clock_; }
  QSize native_size() const { return native_size_; }
  bool hardware_in_use() const { return hardware_in_use_; }
  const std::string& error() const { return error_; }

 private:
  struct Command {
    enum Kind { kPlay, kStartAt, kPause, kRate, kQuit } kind;
    std::uint64_t request = 0;  // single-frame starts: the number WaitForShown waits for
    std::int64_t position = 0;
    bool single = false;
    double rate = 1.0;
    bool thin = false;
    std::array<int, 3> control{1, 0, 0};
  };
  struct Media;
  void Post(Command command);
  void Run();
  bool HandleCommands(std::unique_lock<std::mutex>& guard);
  bool DecodeOne();
  bool DeliverFrame(const ::AVFrame* frame);
  void SeekTo(std::int64_t position);
  // Goes to the key frame at or before the target, or that many key frames
  // further back; false when there are not that many.
  bool SeekDecoder(int earlier);
  bool SeekEarlier();
  bool DecodedToTheEnd();
  // Plays the next of the kept pictures the decoder has already passed.
  bool ReplayKept();
  HRESULT Shown(std::string* why) const;
  // Waits until what the presenter holds is on screen; false when a command
  // comes first.
  bool WaitUntilPresented();
  // Answers the single-frame start in hand once its picture is on screen.
  void AnswerShown();
  void Answer(HRESULT hr, std::string why);
  void AnswerLocked(HRESULT hr, std::string why);
  void EndOfPresentation();

  std::int32_t IndexOfTicks(std::int64_t ticks) const;

  platform::MessageSink* const owner_;
  const Options options_;
  PresentationClock clock_;  // thread-safe: the worker and the driving thread set it, the scheduler reads it
  // The presenter is made by Open on the driving thread before the worker
  // starts and destroyed by Shutdown after it has ended; it guards itself.
  CMFActivate activate_;
  std::unique_ptr<Media> media_;  // worker thread only, after Open
  // Made by Open before the worker starts, released by Shutdown after it has
  // ended: the worker writes and flushes sound (the output's buffer has its
  // own lock), the driving thread sets the volume.
  std::unique_ptr<AudioOutput> audio_;

  // Written by the worker and the driving thread, read by both.
  std::atomic<PlayerState> state_{PlayerState::kClosed};
  std::atomic<bool> ready_{false};    // the worker sets it, Shutdown clears it
  std::atomic<bool> closing_{false};  // the driving thread sets it; the worker and FFmpeg's reads stop on it
  std::atomic<bool> hardware_in_use_{false};
  std::atomic<std::int64_t> late_dropped_{0};  // the worker counts

  // Set by the open's steps before the worker starts (LoadOpened's on its
  // thread, which the driving thread waits for); read-only while it runs.
  HRESULT loaded_ = E_UNEXPECTED;  // LoadOpened's outcome, for StartOpened
  int sound_rate_ = 0, sound_channels_ = 2;  // the sound output's, taken by PrepareOpen
  std::int64_t frame_duration_ = 0;  // 100-ns units, rounded; for tolerances only
  recording::VideoTiming timing_;
  QSize native_size_;
  std::string error_;
  std::string name_;  // the file, for reasons

  // Guarded by lock_: commands from the driving thread to the worker.
  std::mutex lock_;
  std::condition_variable wake_;
  std::deque<Command> commands_;
  // Single-frame starts posted, the one the worker works on, the last one
  // answered, and that answer.
  std::uint64_t requests_ = 0;
  std::uint64_t in_hand_ = 0;
  std::uint64_t answered_ = 0;
  HRESULT answer_ = S_OK;
  std::string answer_why_;
  std::condition_variable answered_signal_;
  std::thread worker_;  // the driving thread starts and joins it
};

}  // namespace player
