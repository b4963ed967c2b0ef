#include "platform/RecordingSink.h"

#include <algorithm>

namespace platform {

void RecordingSink::Post(std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam) {
  {
    std::lock_guard guard(lock_);
    messages_.push_back({message, wparam, lparam});
  }
  posted_.notify_all();
}

std::vector<Message> RecordingSink::Messages() const {
  std::lock_guard guard(lock_);
  return messages_;
}

std::vector<Message> RecordingSink::MessagesOf(std::uint32_t message) const {
  std::lock_guard guard(lock_);
  std::vector<Message> out;
  std::copy_if(messages_.begin(), messages_.end(), std::back_inserter(out),
               [message](const Message& m) { return m.message == message; });
  return out;
}

bool RecordingSink::WaitFor(std::uint32_t message, std::chrono::milliseconds timeout) const {
  std::unique_lock guard(lock_);
  return posted_.wait_for(guard, timeout, [&] {
    return std::any_of(messages_.begin(), messages_.end(), [message](const Message& m) { return m.message == message; });
  });
}

bool RecordingSink::WaitForCount(std::size_t count, std::chrono::milliseconds timeout) const {
  std::unique_lock guard(lock_);
  return posted_.wait_for(guard, timeout, [&] { return messages_.size() >= count; });
}

void RecordingSink::Clear() {
  std::lock_guard guard(lock_);
  messages_.clear();
}

}  // namespace platform
