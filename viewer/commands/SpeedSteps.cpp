#include "viewer/commands/SpeedSteps.h"

#include "viewer/settings/UiTextTable.h"

namespace viewer {
namespace {

struct SpeedRow {
  int level;
  int faster;
  int faster_backwards;  // when the media plays backwards
  int slower_main;
  int slower_fallback;
  int text;  // UI text number, 0 for none
};
constexpr SpeedRow kSpeedRows[] = {
    {4, 4, 4, 2, 2, 62},       {2, 4, 4, 1, 1, 61},     {1, 2, 2, -1, -1, 0},
    {-1, 1, 1, -2, -2, 0},     {-2, 1, -1, -2, -4, 63}, {-4, -2, -2, 1, -4, 64},
};

const SpeedRow* RowOf(int level) {
  for (const SpeedRow& row : kSpeedRows) {
    if (row.level == level) return &row;
  }
  return nullptr;
}

}  // namespace

int NextSpeedLevel(SpeedCommand command, int current, bool playing, const SpeedPlayer& player) {
  const SpeedRow* row = RowOf(current);
  if (!playing || row == nullptr) return 1;
  if (command == SpeedCommand::kFaster) return player.can_play_backwards ? row->faster_backwards : row->faster;
  return player.main_back_end ? row->slower_main : row->slower_fallback;
}

std::string_view SpeedText(int level) {
  const SpeedRow* row = RowOf(level);
  return row == nullptr || row->text == 0 ? std::string_view() : UiText(row->text);
}

}  // namespace viewer
