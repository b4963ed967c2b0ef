#pragma once

#include <atomic>
#include <cstdint>

#include "platform/MessageSink.h"

namespace viewer {

// Where the players report: passes each message on to the window with wParam
// replaced by the generation of the open the players were started for, so
// that a ready or an end still queued from an earlier open is recognised as
// stale. Set the generation after closing the old players and before opening
// the new ones; Post may run on any thread.
class GenerationSink : public platform::MessageSink {
 public:
  explicit GenerationSink(platform::MessageSink* target) : target_(target) {}
  void Post(std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam) override;
  void set_generation(std::uint32_t generation) { generation_.store(generation); }

 private:
  platform::MessageSink* const target_;
  std::atomic<std::uint32_t> generation_{0};
};

}  // namespace viewer
