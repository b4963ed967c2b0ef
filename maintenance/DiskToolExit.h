#pragma once

namespace maintenance {

// The disk tool's exit codes. They stay clear of 126 and 127, which pkexec
// uses for a refused elevation.
enum DiskToolExit : int {
  kDiskToolDone = 0,
  kDiskToolUsage = 10,
  kDiskToolScriptRefused = 11,
  kDiskToolDeviceRefused = 12,
  kDiskToolDeviceChanged = 13,
  kDiskToolBusy = 14,
  kDiskToolWriteFailed = 15,
  kDiskToolFormatFailed = 16,
};

// pkexec: the user dismissed the question, or is not authorised / no agent.
inline constexpr int kElevationDismissed = 126;
inline constexpr int kElevationRefused = 127;

}  // namespace maintenance
