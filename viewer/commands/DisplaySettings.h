#pragma once

#include <string>

namespace viewer {

inline constexpr int kMaxVolume = 65535;

// The display settings the main window reads at start-up.
struct DisplaySettings {
  bool keep_aspect = false;
  int volume = kMaxVolume;  // always within 0..65535
};

// "ASPECT" and "VOLUME" with their defaults: an empty volume is 65535, one
// that is no number reads as 0, and any value outside 0..65535 is clamped.
DisplaySettings ReadDisplaySettings();

int ClampVolume(long long volume);
// A number as the settings keep it: decimal, whatever the locale.
std::string DecimalText(long long value);

// Writes the volume (clamped) back, so the file holds the effective value.
bool WriteVolumeSetting(int volume);
// "ASPECT" as "on" or "off".
bool WriteKeepAspectSetting(bool keep_aspect);

}  // namespace viewer
