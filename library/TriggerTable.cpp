#include "library/TriggerTable.h"

namespace library {
namespace {

constexpr bool EveryCategoryHasARow() {
  for (int c = 0; c < kTriggerCategoryCount; ++c) {
    bool found = false;
    for (const TriggerRow& row : kTriggerRows) found = found || static_cast<int>(row.category) == c;
    if (!found) return false;
  }
  return true;
}
static_assert(EveryCategoryHasARow());

}  // namespace

const TriggerRow* TriggerRowOf(std::size_t position, char letter) {
  for (const TriggerRow& row : kTriggerRows) {
    if (row.position == position && row.letter == letter) return &row;
  }
  return nullptr;
}

const TriggerRow* TriggerOf(std::string_view name) {
  for (const TriggerRow& row : kTriggerRows) {
    if (row.position < name.size() && name[row.position] == row.letter) return &row;
  }
  return nullptr;
}

const TriggerRow& TriggerRowOf(TriggerCategory category) {
  for (const TriggerRow& row : kTriggerRows) {
    if (row.category == category) return row;
  }
  return kTriggerRows[0];  // not reached: every category has a row
}

const TriggerRow* TriggerRowOfBit(unsigned bit) {
  for (const TriggerRow& row : kTriggerRows) {
    if (row.bit == bit) return &row;
  }
  return nullptr;
}

}  // namespace library
