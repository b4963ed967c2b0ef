#include "mapview/EventKindSwitches.h"

#include <charconv>
#include <string>

#include "mapview/DetectorTable.h"
#include "viewer/settings/FolderIni.h"

namespace mapview {
namespace {

constexpr int kAllShown = 31;

}  // namespace

int EventKindSwitch::Entry() const { return DetectorTable::EntryOfKind(kind); }

const std::array<EventKindSwitch, kEventKindSwitchCount>& EventKindSwitches() {
  static constexpr std::array<EventKindSwitch, kEventKindSwitchCount> kSwitches = {{
      {116, 11},
      {125, 6},
      {126, 7},
      {130, 8},
  }};
  return kSwitches;
}

int ParseEventKindBits(std::string_view text) {
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return kAllShown;
  return value;
}

int ReadEventKindBits() {
  return ParseEventKindBits(viewer::ReadFolderIni(viewer::kSectionDisplay, viewer::kKeyInfoCheck));
}

bool WriteEventKindSwitch(int index, bool on) {
  if (index < 0 || index >= kEventKindSwitchCount) return false;
  int value = ReadEventKindBits();
  value = on ? value | (1 << index) : value & ~(1 << index);
  char text[16];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return viewer::WriteFolderIni(viewer::kSectionDisplay, viewer::kKeyInfoCheck, std::string(text, result.ptr));
}

}  // namespace mapview
