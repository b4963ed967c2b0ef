#pragma once

#include <cstdint>
#include <optional>

namespace viewer {

// The gate between selecting a recording and opening it, and the generation
// that ties the players' and the loader's messages to the open they belong
// to. The window runs the timers; this class decides. UI thread only.
//
// Every selection starts a new generation, so whatever is still in flight
// for an earlier one (media ready, data loaded, end of recording) is
// recognised as stale and dropped: old video never meets new data, and no
// recording is skipped. The gate closes while an open is in flight; a row
// selected meanwhile is opened once that open ends (ready, failed, stale or
// timed out), so one broken file never leaves the window unable to open.
class OpenSequence {
 public:
  struct Open {
    int index;
    std::uint32_t generation;
  };

  // A row was selected: true when the delayed open should (re)start now,
  // false when an open is in flight and the row waits for it to end (keep
  // the wait limit running then, so that it ends at the latest with it).
  bool Select(int index);
  // The delay ran out: the recording to open, closing the gate; none while
  // the gate is closed or nothing is selected.
  std::optional<Open> BeginOpen();

  // The outcome of a message from a player or the loader.
  struct Outcome {
    bool accepted = false;     // it belongs to the current open: act on it
    bool start_delay = false;  // the gate reopened with a row waiting: restart the delay
  };
  // The end of an open. The current recording's media ready is acted on once,
  // even after the wait limit ran out; the end of an open in flight for a
  // recording no longer selected only reopens the gate; a message of an even
  // earlier open changes nothing.
  Outcome MediaReady(std::uint32_t generation);
  Outcome OpenFailed(std::uint32_t generation);
  // The wait limit ran out with the open still in flight.
  Outcome WaitTimedOut();
  // The recording was closed without another being selected (a folder
  // change, a lost source): nothing is selected, whatever is still in flight
  // is stale, and the gate is open, since the players that would have
  // answered the open in flight are gone.
  void Abandon();
  // Data loaded and end of recording are acted on once per generation.
  bool DataLoaded(std::uint32_t generation);
  bool EndOfRecording(std::uint32_t generation);

  bool ready() const { return ready_; }
  std::uint32_t generation() const { return generation_; }
  int selected() const { return selected_; }

 private:
  Outcome Reopen(bool accepted);

  bool ready_ = true;
  bool waiting_ = false;  // a row was selected while the gate was closed
  bool readied_ = false;
  bool loaded_ = false;
  bool ended_ = false;
  int selected_ = -1;
  std::uint32_t generation_ = 0;  // 0 before the first selection
  std::uint32_t in_flight_ = 0;   // the generation being opened, 0 for none
};

}  // namespace viewer
