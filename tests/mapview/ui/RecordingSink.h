#pragma once

#include <vector>

#include "platform/MessageSink.h"

namespace mapview {

// Keeps what a panel posts to its owner.
class RecordingSink : public platform::MessageSink {
 public:
  void Post(std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam) override {
    posted.push_back({message, wparam, lparam});
  }
  std::vector<platform::Message> posted;
};

}  // namespace mapview
