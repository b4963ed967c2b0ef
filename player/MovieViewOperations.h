#pragma once

#include <array>
#include <cstdint>

#include "player/MovieView.h"

namespace player {

// The per-view operation table the main window fills at start-up and calls
// on each view in use: 34 entries, numbered as the operations.
using ViewOperation = std::int64_t (*)(MovieView& view, ViewCall& call);

struct ViewOperationEntry {
  const char* name;
  ViewOperation run;
};

inline constexpr std::size_t kViewOperations = 34;
const std::array<ViewOperationEntry, kViewOperations>& ViewOperationTable();

}  // namespace player
