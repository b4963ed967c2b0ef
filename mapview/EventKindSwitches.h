#pragma once

#include <array>
#include <string_view>

namespace mapview {

// The settings window's four display switches of event kinds, in box order:
// drive assist (11-13), emergency recording stop (6), parking monitoring
// impact (7), speeding (8). Each switches both flags of the detector entry
// that finds its kind.
struct EventKindSwitch {
  int caption_text;  // UI text number
  int kind;          // the first marker kind it switches
  int Entry() const;  // its detector entry
};
inline constexpr int kEventKindSwitchCount = 4;
const std::array<EventKindSwitch, kEventKindSwitchCount>& EventKindSwitches();

// "DISPLAY"/"INFOCHECK" keeps the switches in bits 0-3 (set = shown). A
// value that is no decimal number reads as 31, all shown.
int ParseEventKindBits(std::string_view text);
int ReadEventKindBits();
// Rewrites bit index of the stored value, keeping its other bits.
bool WriteEventKindSwitch(int index, bool on);
inline bool SwitchOn(int bits, int index) { return (bits >> index & 1) != 0; }

}  // namespace mapview
