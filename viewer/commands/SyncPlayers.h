#pragma once

#include <functional>

#include "recording/SensorDataFile.h"
#include "viewer/commands/Controls.h"

namespace viewer {

// Both players as the position synchronisation drives them: positions,
// durations and the state are slot 0's frames and state; a seek moves slot 1
// to the frame under way at the same moment. UI thread only.
class SyncPlayers {
 public:
  virtual ~SyncPlayers() = default;

  virtual PlayState state() const = 0;
  // 1 normal, 2 and 4 faster, -2 and -4 slower.
  virtual int speed_level() const = 0;
  virtual int CurrentFrame() = 0;
  virtual int FrameCount() = 0;
  // Frames per second of slot 0; 0 when unknown.
  virtual double FrameRate() = 0;
  // Lines of slot 0's video; 0 when unknown.
  virtual int VideoHeight() = 0;

  // Moves both players to frame: shown at once when not playing, played on
  // from there when playing. False when neither player moved.
  virtual bool Seek(int frame) = 0;
  virtual bool Play() = 0;
  virtual bool Pause() = 0;
  // Slot 0 plays at volume (0..65535), slot 1 stays silent.
  virtual void SetVolume(int volume) = 0;

  // Runs read with slot 0's sensor data under its data lock; read must not
  // keep references to the data after it returns.
  virtual void ReadSensorData(const std::function<void(const recording::SensorDataFile&)>& read) = 0;
};

}  // namespace viewer
