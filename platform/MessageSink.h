#pragma once

#include <cstdint>

namespace platform {

// Private messages start at this number, as WM_APP does.
constexpr std::uint32_t kAppMessageBase = 0x8000;

struct Message {
  std::uint32_t message = 0;
  std::uintptr_t wparam = 0;
  std::intptr_t lparam = 0;
  friend bool operator==(const Message&, const Message&) = default;
};

// Where a part reports to its owner. Post never waits for the owner to handle
// the message and may be called from any thread.
class MessageSink {
 public:
  virtual ~MessageSink() = default;
  virtual void Post(std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam) = 0;
};

}  // namespace platform
