#include "viewer/commands/DisplaySettings.h"

#include <algorithm>
#include <charconv>

#include "viewer/settings/FolderIni.h"

namespace viewer {

DisplaySettings ReadDisplaySettings() {
  DisplaySettings settings;
  settings.keep_aspect = KeepAspectSetting();
  settings.volume = ClampVolume(VolumeSetting());
  return settings;
}

int ClampVolume(long long volume) { return static_cast<int>(std::clamp<long long>(volume, 0, kMaxVolume)); }

std::string DecimalText(long long value) {
  char text[24];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

bool WriteVolumeSetting(int volume) {
  return WriteFolderIni(kSectionDisplay, kKeyVolume, DecimalText(ClampVolume(volume)));
}

bool WriteKeepAspectSetting(bool keep_aspect) {
  return WriteFolderIni(kSectionDisplay, kKeyAspect, keep_aspect ? "on" : "off");
}

}  // namespace viewer
