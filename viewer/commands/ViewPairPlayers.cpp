#include "viewer/commands/ViewPairPlayers.h"

namespace viewer {

PlayState ViewPairPlayers::state() const {
  switch (pair_.state()) {
    case player::MovieView::ViewState::kStopped: return PlayState::kStopped;
    case player::MovieView::ViewState::kPlaying: return PlayState::kPlaying;
    case player::MovieView::ViewState::kPaused: return PlayState::kPaused;
    case player::MovieView::ViewState::kNothing: break;
  }
  return PlayState::kClosed;
}

int ViewPairPlayers::speed_level() const { return pair_.rate_code(); }
int ViewPairPlayers::CurrentFrame() { return pair_.CurrentFrame(); }
int ViewPairPlayers::FrameCount() { return pair_.FrameCount(); }
double ViewPairPlayers::FrameRate() { return pair_.FrameRate(); }
int ViewPairPlayers::VideoHeight() { return pair_.reading_view().VideoSize().height(); }
bool ViewPairPlayers::Seek(int frame) { return !player::Failed(pair_.Seek(frame)); }
bool ViewPairPlayers::Play() { return !player::Failed(pair_.Play()); }
bool ViewPairPlayers::Pause() { return !player::Failed(pair_.Pause()); }
void ViewPairPlayers::SetVolume(int volume) { pair_.SetVolume(volume); }

void ViewPairPlayers::ReadSensorData(const std::function<void(const recording::SensorDataFile&)>& read) {
  pair_.reading_view().ReadSensorData(read);
}

}  // namespace viewer
