#include "viewer/commands/PositionSync.h"

#include "viewer/commands/CommandGuard.h"
#include "viewer/commands/RecordingStart.h"
#include "viewer/commands/SpeedSteps.h"

namespace viewer {

PositionSync::PositionSync(SyncPlayers& players, SyncViews* views)
    : players_(players), views_(views != nullptr ? views : &no_views_) {}

PositionSync::Started PositionSync::Start() {
  Started started;
  char quality_letter = 0;
  players_.ReadSensorData([&](const recording::SensorDataFile& data) {
    if (data.loaded()) quality_letter = data.header().quality;
  });
  started.quality = QualityCode(players_.VideoHeight(), quality_letter);
  started.frame_period_ms = FramePeriodMs(players_.FrameRate());
  started.frame_count = players_.FrameCount();
  position_.Start(started.frame_count);
  zone_.Reset();
  started_ = true;
  views_->SetRange(position_.first(), position_.count());
  started.speed_text = SpeedText();
  players_.SetVolume(volume_);
  ShowSample(0);
  position_.ClearPending();
  return started;
}

void PositionSync::Stop() {
  started_ = false;
  position_.ClearPending();
  zone_.Reset();
}

void PositionSync::ResetRange(int duration) {
  position_.ResetRange(duration);
  views_->SetRange(position_.first(), position_.count());
}

void PositionSync::Tick() {
  if (!started_) return;
  const PlayState state = players_.state();
  if (state != PlayState::kPlaying) return;
  const int position = players_.CurrentFrame();
  const int duration = players_.FrameCount();
  const bool refused = !CommandGuardAllows(true, state, position, duration, players_.speed_level());
  switch (zone_.Update(refused)) {
    case GuardZone::Change::kEntered: views_->GuardZoneChanged(true); break;
    case GuardZone::Change::kLeft: views_->GuardZoneChanged(false); break;
    case GuardZone::Change::kNone: break;
  }
  if (const auto index = position_.AcceptTick(position, duration)) ShowSample(*index);
}

ShownValues PositionSync::ShowSample(int frame) {
  ShownValues values;
  values.frame = position_.Clamp(frame);
  players_.ReadSensorData([&](const recording::SensorDataFile& data) {
    const recording::AccelSample* sample = data.SampleAtFrame(values.frame);
    if (sample == nullptr) return;
    values.has_sample = true;
    values.x = sample->x;
    values.y = sample->y;
    values.z = sample->z;
    values.status = static_cast<char>(sample->extra);
    const recording::GpsSample* fix = sample->gps_link;
    if (fix == nullptr) return;
    values.gps_valid = fix->fix_valid != 0;
    if (!values.gps_valid) return;
    values.gps_speed = fix->speed;
    values.latitude = fix->latitude;
    values.longitude = fix->longitude;
    values.direction = fix->direction;
  });
  shown_ = values;
  views_->ShowValues(values);
  views_->MoveSlider(values.frame);
  views_->MoveCursor(values.frame);
  return values;
}

void PositionSync::SeekTo(int frame) {
  if (started_) SeekInState(frame, players_.state());
}

void PositionSync::SeekInState(int frame, PlayState state) {
  const int target = position_.PlanSeek(frame, state, players_.speed_level());
  if (state == PlayState::kPlaying) {
    players_.Pause();
    players_.Seek(target);
    ShowSample(target);
    players_.Play();
  } else {
    players_.Seek(target);
    ShowSample(target);
  }
}

void PositionSync::DragStart(int frame, bool preview) {
  if (!started_) return;
  players_.SetVolume(0);
  drag_state_ = players_.state();
  if (drag_state_ != PlayState::kPaused && drag_state_ != PlayState::kClosed) players_.Pause();
  if (!preview) return;
  // The players stay paused while the thumb is held, whatever the state to
  // return to: playing on would pull the thumb away from the pointer.
  SeekInState(frame, PlayState::kPaused);
  players_.SetVolume(volume_);
}

void PositionSync::DragMove(int frame) {
  if (started_) ShowSample(frame);
}

void PositionSync::DragEnd(int frame) {
  if (!started_) return;
  SeekInState(frame, drag_state_);
  players_.SetVolume(volume_);
}

std::string_view PositionSync::SpeedText() const { return viewer::SpeedText(players_.speed_level()); }

}  // namespace viewer
