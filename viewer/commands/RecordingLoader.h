#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/MessageSink.h"
#include "recording/SensorDataFile.h"

namespace viewer {

// Posted by the loader when a recording's sensor data is decoded: wParam is
// the generation of the open it was started for, lParam 1 when the data
// decoded (or the recording has none), 0 when it failed.
inline constexpr std::uint32_t kMessageDataLoaded = 0x8515;

// The data-loader thread and the next-recording prefetch thread of the main
// window. Both decode a recording's sensor data off the UI thread and take no
// lock of the window's: the caller copies the path (under "hMutexCache") and
// installs the result in the players itself (under their "hFileMutex"), so
// the slow part never runs under either lock and a stale result is dropped
// before it reaches a player.
//
// One load and one prefetch run at a time; starting another stops and joins
// the one before. Load, Prefetch, Cancel and the destructor join threads:
// call them from the UI thread, never while holding "hMutexCache" (a
// worker that waited for it would never end). A join waits at most for the
// decode of one block; the search for the block stops at once.
class RecordingLoader {
 public:
  // Decodes the sensor data of the recording whose front video is video into
  // out. Runs on a worker thread; out.Cancel() may be called from another.
  // False when the data does not decode.
  using Decode = std::function<bool(const std::filesystem::path& video, recording::SensorDataFile& out)>;
  // The recorder's data file beside the video; a recording without one
  // decodes as empty.
  static bool DecodeDataFile(const std::filesystem::path& video, recording::SensorDataFile& out);

  explicit RecordingLoader(platform::MessageSink* owner, Decode decode = DecodeDataFile);
  ~RecordingLoader();
  RecordingLoader(const RecordingLoader&) = delete;
  RecordingLoader& operator=(const RecordingLoader&) = delete;

  // Loads the data of video for the open of generation and posts
  // kMessageDataLoaded when done (a load stopped by another call posts
  // nothing). Data prefetched for the same video is taken instead of
  // decoding it again; a prefetch of another video is dropped.
  void Load(const std::filesystem::path& video, std::uint32_t generation);
  // The same on the calling thread, without a message (folder auto-advance
  // opens the data at once). Null when it does not decode.
  std::unique_ptr<recording::SensorDataFile> LoadNow(const std::filesystem::path& video);
  // The data loaded for generation, once; null when it is not there (yet),
  // failed, or was loaded for another generation.
  std::unique_ptr<recording::SensorDataFile> Take(std::uint32_t generation);

  // Decodes the data of video (the next recording) in advance; posts nothing.
  void Prefetch(const std::filesystem::path& video);

  // Stops and joins both threads and drops whatever they decoded.
  void Cancel();

 private:
  // One decode and its thread. The video and generation are set before the
  // thread starts; the rest is guarded by lock_ (Cancel() reaches a decode in
  // progress through data).
  struct Job {
    ~Job();
    std::filesystem::path video;
    std::uint32_t generation = 0;
    std::unique_ptr<recording::SensorDataFile> data = std::make_unique<recording::SensorDataFile>();
    bool ok = false;
    bool done = false;
    bool cancelled = false;
    // A prefetch of the same video, handed to this load: its result is taken
    // when it ends instead of decoding the file again.
    std::unique_ptr<Job> handoff;
    std::thread thread;
  };
  // Stops the job's decode (and its handoff's) and joins its thread.
  void Stop(Job& job);
  void RunLoad(Job* job);
  void RunPrefetch(Job* job);

  platform::MessageSink* const owner_;
  const Decode decode_;
  std::mutex lock_;
  // Replaced on the calling thread only; the workers see their own Job.
  std::unique_ptr<Job> load_;
  std::unique_ptr<Job> prefetch_;
};

}  // namespace viewer
