#pragma once

#include "player/ViewPair.h"
#include "viewer/commands/SyncPlayers.h"

namespace viewer {

// The players of the main window, a front and rear view pair, as the
// position synchronisation drives them.
class ViewPairPlayers : public SyncPlayers {
 public:
  explicit ViewPairPlayers(player::ViewPair& pair) : pair_(pair) {}

  PlayState state() const override;
  int speed_level() const override;
  int CurrentFrame() override;
  int FrameCount() override;
  double FrameRate() override;
  int VideoHeight() override;
  bool Seek(int frame) override;
  bool Play() override;
  bool Pause() override;
  void SetVolume(int volume) override;
  void ReadSensorData(const std::function<void(const recording::SensorDataFile&)>& read) override;

 private:
  player::ViewPair& pair_;
};

}  // namespace viewer
