#include "viewer/commands/OpenSequence.h"

namespace viewer {

bool OpenSequence::Select(int index) {
  ++generation_;
  selected_ = index;
  readied_ = false;
  loaded_ = false;
  ended_ = false;
  waiting_ = !ready_;
  return ready_;
}

std::optional<OpenSequence::Open> OpenSequence::BeginOpen() {
  if (!ready_ || selected_ < 0) return std::nullopt;
  ready_ = false;
  waiting_ = false;
  in_flight_ = generation_;
  return Open{selected_, generation_};
}

OpenSequence::Outcome OpenSequence::Reopen(bool accepted) {
  ready_ = true;
  in_flight_ = 0;
  const bool start = waiting_;
  waiting_ = false;
  return {accepted, start};
}

OpenSequence::Outcome OpenSequence::MediaReady(std::uint32_t generation) {
  if (generation != 0 && generation == generation_ && !readied_) {
    readied_ = true;
    return Reopen(true);
  }
  // The open in flight ended for a recording no longer selected.
  if (generation != 0 && generation == in_flight_) return Reopen(false);
  return {};
}

OpenSequence::Outcome OpenSequence::OpenFailed(std::uint32_t generation) {
  if (generation == 0 || (generation != generation_ && generation != in_flight_)) return {};
  return Reopen(generation == generation_);
}

OpenSequence::Outcome OpenSequence::WaitTimedOut() { return Reopen(false); }

void OpenSequence::Abandon() {
  Select(-1);
  Reopen(false);
}

bool OpenSequence::DataLoaded(std::uint32_t generation) {
  if (generation != generation_ || loaded_) return false;
  loaded_ = true;
  return true;
}

bool OpenSequence::EndOfRecording(std::uint32_t generation) {
  if (generation != generation_ || ended_) return false;
  ended_ = true;
  return true;
}

}  // namespace viewer
