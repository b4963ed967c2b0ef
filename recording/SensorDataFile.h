#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/NamedMutex.h"
#include "recording/SensorSamples.h"

namespace recording {

// Per video frame, the acceleration sample shown on that frame.
using FrameSampleIndex = std::vector<AccelSample*>;

// The decoded sensor data of one recording and its per-frame index.
class SensorDataFile {
 public:
  SensorDataFile();
  ~SensorDataFile();
  SensorDataFile(const SensorDataFile&) = delete;
  SensorDataFile& operator=(const SensorDataFile&) = delete;

  // Finds and decodes the block of a data file. On failure everything
  // decoded is freed; the reason is in last_error(). Sets loaded().
  bool Load(const std::filesystem::path& data_path);
  // Frees the decoded data and the index.
  void Free();

  // Hands everything decoded to another file (its old data freed first) and
  // clears this one. True when the target then holds a GPS sample.
  static bool Move(SensorDataFile& from, SensorDataFile& to);

  // Turns sample times into frame numbers and builds the per-frame index.
  // The frame duration must be set. False when there is nothing to index.
  bool IndexFrames(std::int32_t frame_count);

  // Abandons a locate or decode that runs on another thread.
  void Cancel() { cancel_.store(true); }
  // Clears a cancel request that no run has taken.
  void TakeCancelIfAny() { cancel_.store(false); }

  void set_frame_duration(float ms) { frame_duration_ = ms; }
  float frame_duration() const { return frame_duration_; }
  float record_period() const { return period_; }
  bool loaded() const { return loaded_; }
  std::int32_t last_index() const { return last_index_; }
  double largest_acceleration() const { return largest_acceleration_; }
  const std::filesystem::path& path() const { return path_; }
  const SensorDataHeader& header() const { return header_; }
  const std::vector<GpsSample>& gps() const { return gps_; }
  const std::vector<AccelSample>& accel() const { return accel_; }
  const FrameSampleIndex& frame_index() const { return frame_index_; }
  // The sample shown on a frame; null outside the index.
  const AccelSample* SampleAtFrame(std::int32_t frame) const;
  const std::string& last_error() const { return last_error_; }

 private:
  bool Fail(std::string why);

  std::filesystem::path path_;
  std::shared_ptr<platform::NamedMutex> find_mutex_;
  std::atomic<bool> cancel_{false};
  std::int32_t last_index_ = -1;
  double largest_acceleration_ = 0.0;
  std::vector<GpsSample> gps_;
  std::vector<AccelSample> accel_;
  SensorDataHeader header_;
  FrameSampleIndex frame_index_;
  float frame_duration_ = 0.0f;
  bool loaded_ = false;
  float period_ = 100.0f;
  std::string last_error_;
};

// True when the file begins with "CSMDAT".
bool IsDataFile(const std::filesystem::path& path);

// Decodes only the header of the data file beside a video file.
bool ReadHeaderOnly(const std::filesystem::path& video_path, SensorDataHeader* header);

// Loads the data files of the recordings in order and appends their GPS
// samples to route (replaced at the start; indices restart for each file).
// Stops with false at the first recording whose data is missing or does not
// decode, keeping what was appended.
bool LoadRoute(const std::vector<std::filesystem::path>& video_paths, std::vector<GpsSample>* route);

}  // namespace recording
