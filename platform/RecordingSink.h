#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/MessageSink.h"

namespace platform {

// Keeps every posted message; for tests and command-line tools.
class RecordingSink : public MessageSink {
 public:
  void Post(std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam) override;
  std::vector<Message> Messages() const;
  std::vector<Message> MessagesOf(std::uint32_t message) const;
  // Waits until a message with this number has been posted.
  bool WaitFor(std::uint32_t message, std::chrono::milliseconds timeout) const;
  // Waits until at least count messages have been posted.
  bool WaitForCount(std::size_t count, std::chrono::milliseconds timeout) const;
  void Clear();

 private:
  mutable std::mutex lock_;
  mutable std::condition_variable posted_;
  std::vector<Message> messages_;
};

}  // namespace platform
