#pragma once

#include <string_view>

#include "viewer/commands/GuardZone.h"
#include "viewer/commands/PlaybackPosition.h"
#include "viewer/commands/SyncPlayers.h"
#include "viewer/commands/SyncViews.h"

namespace viewer {

// Keeps the views in step with the playback position of the current
// recording: the start of a recording, the 30 ms playback tick, showing a
// frame, seeking, and dragging the position slider. The window owns the
// players, the views and the timer; it calls these on the UI thread.
class PositionSync {
 public:
  // What the window keeps of a recording that starts: the quality code and
  // frame period go into its list entry.
  struct Started {
    int quality = 0;
    float frame_period_ms = 0.0f;
    int frame_count = 0;
    std::string_view speed_text;
  };

  // views may be null (no view follows yet); both must outlive this.
  PositionSync(SyncPlayers& players, SyncViews* views);

  // The volume slot 0 plays at (0..65535), restored after a slider drag.
  void set_volume(int volume) { volume_ = volume; }
  int volume() const { return volume_; }

  // A recording's video and data are open: reads its quality and frame
  // rate, takes the range [0, frame count) of slot 0, applies the volume and
  // shows frame 0. The window starts the 30 ms tick after it.
  Started Start();
  // No recording any more (closed, or another being opened): the tick,
  // seeks and drags do nothing until the next Start.
  void Stop();
  // The player reset the range to [0, duration).
  void ResetRange(int duration);

  // The 30 ms playback tick: only while playing, follows slot 0's position
  // (ignoring it until the players reach a pending seek) and reports the
  // refused zone near the end as it is entered and left.
  void Tick();

  // Shows frame (clamped to the range) in every view without moving the
  // players; returns the values shown.
  ShownValues ShowSample(int frame);

  // Seeks both players to frame in the current play state and shows it.
  // Paused or stopped, the players go to the frame itself; playing, they
  // pause, are kept away from the end by the guard margin, and play on. The
  // window recomputes the enabled state afterwards.
  void SeekTo(int frame);

  // The position slider. Drag start mutes slot 0 and pauses, remembering
  // the play state; with preview, the pressed frame is sought at once and
  // the volume restored. Moving shows the frame without seeking. Drag end
  // seeks there in the remembered state and restores the volume.
  void DragStart(int frame, bool preview);
  void DragMove(int frame);
  void DragEnd(int frame);

  // The speed status text for slot 0's current level.
  std::string_view SpeedText() const;

  bool started() const { return started_; }
  bool in_guard_zone() const { return zone_.inside(); }
  const PlaybackPosition& position() const { return position_; }
  const ShownValues& shown() const { return shown_; }

 private:
  void SeekInState(int frame, PlayState state);

  SyncPlayers& players_;
  SyncViews* const views_;
  SyncViews no_views_;
  PlaybackPosition position_;
  GuardZone zone_;
  ShownValues shown_;
  int volume_ = 65535;
  bool started_ = false;
  PlayState drag_state_ = PlayState::kClosed;
};

}  // namespace viewer
