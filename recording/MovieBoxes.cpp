#include "recording/MovieBoxes.h"

#include "platform/ByteOrder.h"
#include "recording/BoxTree.h"

namespace recording {

const BoxNode* FirstChild(const BoxNode& node, std::string_view type) {
  for (const BoxNode& c : node.children) {
    if (c.IsType(type)) return &c;
  }
  return nullptr;
}

const BoxNode* FindPath(const BoxNode& node, std::initializer_list<std::string_view> path) {
  const BoxNode* at = &node;
  for (std::string_view type : path) {
    at = FirstChild(*at, type);
    if (at == nullptr) return nullptr;
  }
  return at;
}

const BoxNode* FirstMovie(const BoxTree& tree) { return FirstChild(tree.root(), "moov"); }

std::vector<const BoxNode*> Tracks(const BoxTree& tree) {
  std::vector<const BoxNode*> out;
  if (const BoxNode* moov = FirstMovie(tree)) {
    for (const BoxNode& c : moov->children) {
      if (c.IsType("trak")) out.push_back(&c);
    }
  }
  return out;
}

std::string HandlerOf(const BoxNode& trak) {
  const BoxNode* hdlr = FindPath(trak, {"mdia", "hdlr"});
  // Version and flags, the component type, then the handler (sub)type.
  if (hdlr == nullptr || hdlr->payload.size() < 12) return {};
  return std::string(reinterpret_cast<const char*>(hdlr->payload.data() + 8), 4);
}

const BoxNode* VideoTrack(const BoxTree& tree) {
  for (const BoxNode* trak : Tracks(tree)) {
    if (HandlerOf(*trak) == "vide") return trak;
  }
  return nullptr;
}

platform::Expected<HeaderTimes> ReadHeaderTimes(const BoxNode& box) {
  using Result = platform::Expected<HeaderTimes>;
  const std::string name(box.Type());
  const auto& p = box.payload;
  if (p.empty()) return Result::Failure(name + " box is cut short");
  HeaderTimes t;
  t.version = p[0];
  if (t.version > 1) return Result::Failure(name + " box has version " + std::to_string(t.version) + ", unknown");
  const bool wide = t.version == 1;
  // After version and flags: creation and modification times, then the
  // timescale and duration (mvhd, mdhd) or the track ID, 4 reserved bytes
  // and the duration (tkhd).
  const std::size_t times = wide ? 16 : 8;
  const bool track = box.IsType("tkhd");
  const std::size_t duration_at = 4 + times + (track ? 8 : 4);
  const std::size_t needed = duration_at + (wide ? 8 : 4);
  if (p.size() < needed) return Result::Failure(name + " box is cut short");
  if (!track) t.timescale = platform::LoadBE32(p.data() + 4 + times);
  t.duration = wide ? (std::uint64_t{platform::LoadBE32(p.data() + duration_at)} << 32) |
                          platform::LoadBE32(p.data() + duration_at + 4)
                    : platform::LoadBE32(p.data() + duration_at);
  return t;
}

}  // namespace recording
