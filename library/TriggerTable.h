#pragma once

#include <cstddef>
#include <string_view>

namespace library {

enum class TriggerCategory { kContinuous = 0, kImpact = 1, kManual = 2, kParking = 3, kParkingImpact = 4 };
inline constexpr int kTriggerCategoryCount = 5;

// What one letter of a recording name's trigger field means. Every place that
// decodes a trigger (category, label, summary bit, badge, list colour,
// grouping) reads it from this table.
struct TriggerRow {
  std::size_t position;  // 0: the trigger letter; 1: the parked-impact mark
  char letter;           // compared case-sensitively
  TriggerCategory category;
  int text;            // UI text number of the category's label
  unsigned bit;        // contribution to a group's or folder's trigger summary
  int badge_overlay;   // skin image drawn over the badge base for the bit; 0: the base alone shows it
  bool impact;         // listed on the impact colours
  bool time_lapse;     // consecutive files lie 900 s apart, not 60 s
};

// In the order a name is tested: the mark at position 1 overrides the letter
// at position 0 wherever a category is derived.
inline constexpr TriggerRow kTriggerRows[] = {
    {1, 'G', TriggerCategory::kParkingImpact, 141, 0x10, 317, true, false},
    {0, 'A', TriggerCategory::kContinuous, 26, 0x01, 0, false, false},
    {0, 'G', TriggerCategory::kImpact, 29, 0x04, 315, true, false},
    {0, 'M', TriggerCategory::kManual, 27, 0x02, 316, false, false},
    {0, 'P', TriggerCategory::kParking, 28, 0x08, 318, false, false},
    {0, 'T', TriggerCategory::kParking, 28, 0x08, 318, false, true},
};

// The row of a letter at a position; null for any other letter ("_", lower
// case, anything unknown).
const TriggerRow* TriggerRowOf(std::size_t position, char letter);
// The row that decides a name's trigger; null when the name has none.
const TriggerRow* TriggerOf(std::string_view name);
// The first row of a category (its label and summary bit).
const TriggerRow& TriggerRowOf(TriggerCategory category);
// The row whose summary bit is bit; null for a bit no letter gives.
const TriggerRow* TriggerRowOfBit(unsigned bit);

}  // namespace library
