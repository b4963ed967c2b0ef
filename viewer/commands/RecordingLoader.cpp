#include "viewer/commands/RecordingLoader.h"

#include <utility>

#include "platform/FileSystem.h"
#include "recording/CompanionPath.h"

namespace viewer {

RecordingLoader::Job::~Job() {
  if (thread.joinable()) thread.join();
}

bool RecordingLoader::DecodeDataFile(const std::filesystem::path& video, recording::SensorDataFile& out) {
  const auto data_path = recording::DataPath(video);
  if (!platform::Fs().Exists(data_path)) return true;  // a recording without sensor data
  return recording::IsDataFile(data_path) && out.Load(data_path);
}

RecordingLoader::RecordingLoader(platform::MessageSink* owner, Decode decode)
    : owner_(owner), decode_(std::move(decode)) {}

RecordingLoader::~RecordingLoader() { Cancel(); }

void RecordingLoader::Stop(Job& job) {
  {
    std::lock_guard guard(lock_);
    for (Job* j = &job; j != nullptr; j = j->handoff.get()) {
      j->cancelled = true;
      if (j->data) j->data->Cancel();
    }
  }
  if (job.thread.joinable()) job.thread.join();
}

void RecordingLoader::Load(const std::filesystem::path& video, std::uint32_t generation) {
  if (load_) Stop(*load_);
  auto job = std::make_unique<Job>();
  job->video = video;
  job->generation = generation;
  if (prefetch_ && prefetch_->video == video) {
    job->handoff = std::move(prefetch_);
  } else if (prefetch_) {
    Stop(*prefetch_);
    prefetch_.reset();
  }
  load_ = std::move(job);
  load_->thread = std::thread([this, job = load_.get()] { RunLoad(job); });
}

void RecordingLoader::RunLoad(Job* job) {
  bool ok = false;
  bool taken = false;
  // Freed outside lock_: freeing waits for the decoders' own lock, which a
  // decode on another thread may hold for a while.
  std::unique_ptr<recording::SensorDataFile> unused;
  if (job->handoff) {
    job->handoff->thread.join();
    std::lock_guard guard(lock_);
    if (job->handoff->ok && !job->cancelled) {
      unused = std::exchange(job->data, std::move(job->handoff->data));
      ok = taken = true;
    }
  }
  if (!taken) {
    recording::SensorDataFile* data;
    {
      std::lock_guard guard(lock_);
      data = job->cancelled ? nullptr : job->data.get();
    }
    if (data != nullptr) ok = decode_(job->video, *data);
  }
  bool cancelled;
  {
    std::lock_guard guard(lock_);
    job->ok = ok;
    job->done = true;
    cancelled = job->cancelled;
  }
  if (!cancelled && owner_ != nullptr) owner_->Post(kMessageDataLoaded, job->generation, ok ? 1 : 0);
}

std::unique_ptr<recording::SensorDataFile> RecordingLoader::Take(std::uint32_t generation) {
  std::lock_guard guard(lock_);
  if (!load_ || !load_->done || load_->generation != generation || !load_->ok) return nullptr;
  load_->ok = false;  // taken once
  return std::move(load_->data);
}

std::unique_ptr<recording::SensorDataFile> RecordingLoader::LoadNow(const std::filesystem::path& video) {
  if (load_) {
    Stop(*load_);
    load_.reset();
  }
  if (prefetch_ && prefetch_->video == video) {
    auto prefetched = std::move(prefetch_);
    if (prefetched->thread.joinable()) prefetched->thread.join();
    if (prefetched->ok) return std::move(prefetched->data);
  } else if (prefetch_) {
    Stop(*prefetch_);
    prefetch_.reset();
  }
  auto data = std::make_unique<recording::SensorDataFile>();
  if (!decode_(video, *data)) return nullptr;
  return data;
}

void RecordingLoader::Prefetch(const std::filesystem::path& video) {
  if (prefetch_) Stop(*prefetch_);
  prefetch_ = std::make_unique<Job>();
  prefetch_->video = video;
  prefetch_->thread = std::thread([this, job = prefetch_.get()] { RunPrefetch(job); });
}

void RecordingLoader::RunPrefetch(Job* job) {
  recording::SensorDataFile* data;
  {
    std::lock_guard guard(lock_);
    data = job->cancelled ? nullptr : job->data.get();
  }
  const bool ok = data != nullptr && decode_(job->video, *data);
  std::lock_guard guard(lock_);
  job->ok = ok && !job->cancelled;
  job->done = true;
}

void RecordingLoader::Cancel() {
  if (load_) Stop(*load_);
  if (prefetch_) Stop(*prefetch_);
  load_.reset();
  prefetch_.reset();
}

}  // namespace viewer
