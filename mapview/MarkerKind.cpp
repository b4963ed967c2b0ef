#include "mapview/MarkerKind.h"

namespace mapview {
namespace {

constexpr std::uint32_t kWhite = Rgb(255, 255, 255);

constexpr MarkerKind kKinds[kMarkerKindCount] = {
    {kAxisColours[0], "G", 1, false},
    {kAxisColours[0], "G", 1, false},
    {kAxisColours[1], "G", 0, false},
    {kAxisColours[2], "G", 2, false},
    {kAxisColours[2], "G", 2, false},
    {kWhite, "M", 3, false},
    {kWhite, "\u203B", 3, false},  // reference mark
    {kWhite, "P", 3, false},
    {kWhite, "#", 3, false},
    {kWhite, "O", 3, false},
    {kWhite, "R", 3, false},
    {Rgb(255, 255, 0), "", 4, true},
    {Rgb(255, 0, 255), "\u25B2", 5, false},  // up-pointing triangle
    {Rgb(0, 255, 255), "\u25BC", 6, false},  // down-pointing triangle
};

}  // namespace

const MarkerKind* FindMarkerKind(int kind) {
  if (kind < 0 || kind >= kMarkerKindCount) return nullptr;
  return &kKinds[kind];
}

}  // namespace mapview
