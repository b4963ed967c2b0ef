#include "viewer/commands/ContinuationBound.h"

namespace viewer {

void ContinuationBound::Reset() { failed_.clear(); }

bool ContinuationBound::ContinueAfterFailure(const std::filesystem::path& recording, int entry_count) {
  if (!failed_.insert(recording).second) return false;  // tried before in this run: it would go round
  return failures() < entry_count;
}

}  // namespace viewer
