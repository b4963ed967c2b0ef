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

}  // namespace

double SpeedOfRateCode(int code, bool can_play_backwards) {
  for (const RateRow& row : kRates) {
    if (row.code == code) return can_play_backwards ? row.speed_backwards : row.speed;
  }
  return 1.0;
}

}  // namespace player
