#include "viewer/commands/ClickFilter.h"

namespace viewer {

bool ClickFilter::Press(std::int64_t now_ms) const {
  return !blocking_ || now_ms - double_click_at_ >= kBlockMs || now_ms < double_click_at_;
}

void ClickFilter::DoubleClick(std::int64_t now_ms) {
  blocking_ = true;
  double_click_at_ = now_ms;
}

}  // namespace viewer
