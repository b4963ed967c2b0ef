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
  // timescale and the duration.
  const std::size_t timescale_at = wide ? 20 : 12;
  if (p.size() < timescale_at + (wide ? 12 : 8)) return Result::Failure(name + " box is cut short");
  t.timescale = platform::LoadBE32(p.data() + timescale_at);
  t.duration = wide ? (std::uint64_t{platform::LoadBE32(p.data() + 24)} << 32) | platform::LoadBE32(p.data() + 28)
                    : platform::LoadBE32(p.data() + 16);
  return t;
}

}  // namespace recording
