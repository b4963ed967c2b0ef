#pragma once

#include <filesystem>
#include <set>

namespace viewer {

// Bounds the automatic continuation over recordings that fail to open. When
// an open started by the end of a recording or by folder auto-advance fails,
// the window moves on to the next recording (or folder) by itself; without a
// bound a folder of broken files would go round for ever (the last one is
// reopened at the end of the last folder, and fails again). The run stops,
// with the open-failure message, once it would try a recording that already
// failed in this run or has failed as many times in a row as the folder holds
// recordings. UI thread only.
class ContinuationBound {
 public:
  // An open succeeded, or the user chose a recording: a new run begins.
  void Reset();
  // An automatic open of recording failed, in a folder listing entry_count
  // recordings: true to move on to the next one, false to stop the
  // continuation and report the failure.
  bool ContinueAfterFailure(const std::filesystem::path& recording, int entry_count);

  int failures() const { return static_cast<int>(failed_.size()); }

 private:
  std::set<std::filesystem::path> failed_;  // this run's, in a row
};

}  // namespace viewer
