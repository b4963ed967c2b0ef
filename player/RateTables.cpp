#include "player/RateTables.h"

#include <iterator>

namespace player {
namespace {

struct RateRow {
  int code;
  double speed;
  double speed_backwards;  // when the stream can play backwards
};
constexpr RateRow kRates[] = {{2, 2.0, 2.0}, {4, 4.0, 4.0}, {-2, 0.5, -2.0}, {-4, 0.25, -4.0}, {-1, 1.0, -1.0}};

struct StepRow {
  int current;
  int faster;
  int faster_backwards;
  int slower_session;
  int slower_fallback;
};
constexpr StepRow kSteps[] = {
    {1, 2, 2, -1, -1}, {2, 4, 4, 1, 1}, {4, 4, 4, 2, 2}, {-1, 1, 1, -2, -2}, {-2, 1, -1, -2, -4}, {-4, -2, -2, 1, -4},
};

const StepRow* StepOf(int code) {
  for (const StepRow& row : kSteps) {
    if (row.current == code) return &row;
  }
  return nullptr;
}

}  // namespace

double SpeedOfRateCode(int code, bool can_play_backwards) {
  for (const RateRow& row : kRates) {
    if (row.code == code) return can_play_backwards ? row.speed_backwards : row.speed;
  }
  return 1.0;
}

int FasterRateCode(int current, bool can_play_backwards) {
  const StepRow* row = StepOf(current);
  return row == nullptr ? 1 : (can_play_backwards ? row->faster_backwards : row->faster);
}

int SlowerRateCode(int current, bool media_session) {
  const StepRow* row = StepOf(current);
  return row == nullptr ? 1 : (media_session ? row->slower_session : row->slower_fallback);
}

}  // namespace player
