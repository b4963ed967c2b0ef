#pragma once

#include <cstdint>

namespace viewer {

// Tells a video window's single clicks from double clicks: a press only
// becomes a click once the double-click time has passed without a second
// one, and after a double click every press within the block time is
// ignored (the second press of a double click must never zoom). Times are
// milliseconds of any steady clock.
class ClickFilter {
 public:
  static constexpr std::int64_t kBlockMs = 500;

  // A press: true when it may become a single click.
  bool Press(std::int64_t now_ms) const;
  // A double click: the pending click is dropped, the block starts.
  void DoubleClick(std::int64_t now_ms);

 private:
  bool blocking_ = false;
  std::int64_t double_click_at_ = 0;
};

}  // namespace viewer
