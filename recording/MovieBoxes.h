#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ByteOrder.h"
#include "platform/Expected.h"
#include "recording/BoxNode.h"

namespace recording {

class BoxTree;

// Finding the movie's boxes in a walked tree, whatever other boxes lie
// between them.

// The big-endian 32-bit value at offset in a loaded payload; the caller has
// checked the payload's size.
inline std::uint32_t Be32(const BoxNode& n, std::size_t offset) { return platform::LoadBE32(n.payload.data() + offset); }

// The first child of that type; null without one.
const BoxNode* FirstChild(const BoxNode& node, std::string_view type);
// Follows the types down from node, taking the first child of each; null
// where one is missing.
const BoxNode* FindPath(const BoxNode& node, std::initializer_list<std::string_view> path);
// The first top-level moov; null without one.
const BoxNode* FirstMovie(const BoxTree& tree);
// The trak boxes of the first moov, in file order.
std::vector<const BoxNode*> Tracks(const BoxTree& tree);
// The handler type of a trak's mdia/hdlr ("vide", "soun", ...); empty without one.
std::string HandlerOf(const BoxNode& trak);
// The first trak whose handler is "vide"; null without one.
const BoxNode* VideoTrack(const BoxTree& tree);

// Timescale and duration of an mvhd or mdhd in either version: 0 holds
// 32-bit times, 1 64-bit ones.
struct HeaderTimes {
  int version = 0;
  std::uint32_t timescale = 0;
  std::uint64_t duration = 0;
};
platform::Expected<HeaderTimes> ReadHeaderTimes(const BoxNode& box);

}  // namespace recording
