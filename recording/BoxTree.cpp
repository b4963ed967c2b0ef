#include "recording/BoxTree.h"

#include <algorithm>
#include <string>

#include "platform/ByteOrder.h"
#include "recording/BoxTypeRegistry.h"
#include "recording/MovieBoxes.h"
#include "recording/VideoTiming.h"

namespace recording {
namespace {

constexpr std::uint64_t kHeaderWindow = 65535;
// Real recordings nest about eight levels; a file that nests far deeper is
// corrupt (or built to exhaust the stack).
constexpr std::int32_t kMaxDepth = 64;

constexpr std::string_view kListTypes[kBoxListCount] = {"mdat", "stsz", "stco", "mdhd", "stss",
                                                         "stts", "mvhd", "tkhd", "elst", "stsd"};

// Leaves whose bytes the reader or the joiner reads: headers and sample
// tables, a few hundred kilobytes at most. They are always leaves.
constexpr std::string_view kCopiedTypes[] = {"stsd", "stts", "ctts", "stsz", "stco", "co64", "stss",
                                             "stsc", "mvhd", "tkhd", "mdhd", "elst", "hdlr", "dref"};
// Containers that are walked even when their first child is of a type the
// registry does not know (other writers put their own boxes anywhere).
constexpr std::string_view kContainerTypes[] = {"moov", "trak", "mdia", "minf", "stbl", "edts", "dinf"};

template <std::size_t N>
bool IsOneOf(const BoxNode& node, const std::string_view (&types)[N]) {
  return std::find(std::begin(types), std::end(types), node.Type()) != std::end(types);
}

std::string Hex(std::uint64_t v) {
  static const char digits[] = "0123456789abcdef";
  std::string s;
  do {
    s.insert(s.begin(), digits[v & 15]);
    v >>= 4;
  } while (v != 0);
  return "0x" + s;
}

std::string Quoted(const std::uint8_t* type) {
  std::string s = "'";
  for (int i = 0; i < 4; ++i) s += (type[i] >= 0x20 && type[i] < 0x7f) ? static_cast<char>(type[i]) : '?';
  return s + "'";
}

}  // namespace

std::string_view BoxListType(BoxList list) { return kListTypes[static_cast<std::size_t>(list)]; }

class BoxTreeBuilder {
 public:
  explicit BoxTreeBuilder(BoxTree& tree) : tree_(tree), registry_(BoxTypeRegistry::Instance()) {}

  // The root is always walked and never copied: a file whose first box is
  // unknown is walked past that box like any container.
  bool Build() {
    BoxNode& root = tree_.root_;
    root.depth = 0;
    root.source_path = tree_.path_;
    root.payload_offset = root.read_payload_offset = root.copy_offset = 0;
    root.payload_size = root.read_payload_size = tree_.file_size_;
    return WalkChildren(root, 0, false);
  }

  std::string error;

 private:
  bool Fail(std::string why) {
    error = tree_.path_.string() + ": " + std::move(why);
    return false;
  }

  // Reads up to 8 bytes at offset; returns how many were available.
  bool ReadHeader(std::uint64_t offset, std::uint64_t limit, std::uint8_t* out, std::size_t* got) {
    const std::uint64_t want = std::min<std::uint64_t>(kHeaderWindow, tree_.file_size_ - offset);
    std::string map_error;
    platform::MappedView view = tree_.mapping_->Map(offset, want, &map_error);
    if (!view.valid()) return Fail(map_error);
    *got = static_cast<std::size_t>(std::min<std::uint64_t>({8, view.size(), limit - offset}));
    if (!view.Read(0, out, *got)) return Fail("read error at offset " + Hex(offset) + " (file truncated or medium removed)");
    return true;
  }

  // Decides whether a new node of a registered type is a container (walked
  // later) or a leaf. Only the leaves whose bytes are read are copied; every
  // other leaf, mdat included, stays a range of its file.
  bool Probe(BoxNode& node, bool* walk_leniently) {
    *walk_leniently = false;
    if (!IsOneOf(node, kCopiedTypes) && !node.IsType("mdat") && node.payload_size >= 8) {
      std::uint8_t head[8];
      std::size_t got = 0;
      if (!ReadHeader(node.payload_offset, node.payload_offset + node.payload_size, head, &got)) return false;
      if (got == 8 && registry_.Contains(head + 4)) return true;  // begins like a known box: a container
      if (IsOneOf(node, kContainerTypes)) {
        *walk_leniently = true;  // its first child is unknown
        return true;
      }
    }
    node.has_raw_payload = 1;
    if (node.payload_size == 0 || !IsOneOf(node, kCopiedTypes)) return true;
    node.payload.resize(static_cast<std::size_t>(node.payload_size));
    std::string map_error;
    platform::MappedView view = tree_.mapping_->Map(node.payload_offset, node.payload_size, &map_error);
    if (!view.valid()) return Fail(map_error);
    if (!view.Read(0, node.payload.data(), node.payload.size())) {
      return Fail("read error in box " + std::string(node.Type()) + " at " + Hex(node.payload_offset - 8) +
                  " (file truncated or medium removed)");
    }
    node.loaded_size = node.payload_size;
    return true;
  }

  // Walks a container's children. Once an unknown child has been passed
  // (lenient), whatever does not fit ends the walk of that container without
  // failing: those bytes were never examined before unknown boxes were
  // walked past, and a file that opened then must still open.
  bool WalkChildren(BoxNode& node, std::int32_t depth, bool lenient) {
    node.depth = depth;
    // Not a box structure after all: the node keeps what was found and is
    // held as a range of its file.
    auto stop = [&node] {
      node.has_raw_payload = 1;
      return true;
    };
    if (depth >= kMaxDepth) return lenient ? stop() : Fail("boxes nested more than " + std::to_string(kMaxDepth) + " levels deep");
    const std::uint64_t end = node.payload_offset + node.payload_size;
    std::uint64_t position = node.payload_offset;
    std::uint64_t consumed = 0;
    while (consumed < node.payload_size) {
      std::uint8_t head[8];
      std::size_t got = 0;
      if (!ReadHeader(position, end, head, &got)) return false;
      const std::uint32_t size = got == 8 ? platform::LoadBE32(head) : 0;
      const bool fits = got == 8 && size >= 8 && size <= end - position;
      const bool known = got == 8 && registry_.Contains(head + 4);
      if (!fits && (lenient || !known)) return stop();
      if (!known) lenient = true;
      if (size == 0) return Fail("box " + Quoted(head + 4) + " at " + Hex(position) + " has size 0");
      if (size == 1) return Fail("box " + Quoted(head + 4) + " at " + Hex(position) + " uses a 64-bit size, which recordings never do");
      if (size < 8) {
        return Fail("box " + Quoted(head + 4) + " at " + Hex(position) + " has size " + std::to_string(size) +
                    ", smaller than its own header");
      }
      if (!fits) {
        return Fail("box " + Quoted(head + 4) + " at " + Hex(position) + " (size " + std::to_string(size) +
                    ") runs past the end of " + (depth == 0 ? std::string("the file") : "its parent"));
      }
      BoxNode child;
      std::memcpy(child.type, head + 4, 4);
      child.depth = depth + 1;
      child.source_path = tree_.path_;
      child.payload_size = child.read_payload_size = size - 8;
      child.payload_offset = child.read_payload_offset = child.copy_offset = position + 8;
      bool walk_leniently = false;
      if (!known) {
        child.has_raw_payload = 1;  // an unknown box: its bytes are kept where they are
      } else if (!Probe(child, &walk_leniently)) {
        return false;
      }
      if (child.has_raw_payload == 0 && !WalkChildren(child, depth + 1, lenient || walk_leniently)) return false;
      child.depth = depth + 1;
      node.children.push_back(std::move(child));
      consumed += size;
      position += size;
    }
    return true;
  }

  BoxTree& tree_;
  const BoxTypeRegistry& registry_;
};

platform::Expected<std::unique_ptr<BoxTree>> BoxTree::Open(const std::filesystem::path& path, bool /*load_root*/) {
  using Result = platform::Expected<std::unique_ptr<BoxTree>>;
  auto mapping = platform::FileMapping::Open(path);
  if (!mapping) return Result::Failure(mapping.error());
  std::unique_ptr<BoxTree> tree(new BoxTree);
  tree->mapping_ = mapping.take();
  tree->path_ = path;
  tree->file_size_ = tree->root_size_ = tree->mapping_->size();
  tree->granularity_ = platform::FileMapping::Granularity();
  BoxTreeBuilder builder(*tree);
  if (!builder.Build()) return Result::Failure(builder.error);
  tree->RebuildLists();
  return Result(std::move(tree));
}

BoxTree::~BoxTree() { Free(); }

void BoxTree::Free() {
  for (auto& list : lists_) list.clear();
  root_ = BoxNode{};
  mapping_.reset();
}

void BoxTree::RebuildLists() {
  for (auto& list : lists_) list.clear();
  std::vector<BoxNode*> stack{&root_};
  while (!stack.empty()) {
    BoxNode* node = stack.back();
    stack.pop_back();
    for (std::size_t i = 0; i < kBoxListCount; ++i) {
      if (node->IsType(kListTypes[i])) lists_[i].push_back(node);
    }
    for (auto it = node->children.rbegin(); it != node->children.rend(); ++it) stack.push_back(&*it);
  }
}

FrameSize BoxTree::GetFrameSize() const {
  const BoxNode* trak = VideoTrack(*this);
  const BoxNode* stsd = trak ? FindPath(*trak, {"mdia", "minf", "stbl", "stsd"}) : nullptr;
  // The first sample entry's width and height (a visual sample entry).
  if (stsd == nullptr || stsd->payload.size() < 44) return {};
  return {platform::LoadBE16(stsd->payload.data() + 40), platform::LoadBE16(stsd->payload.data() + 42)};
}

std::int32_t BoxTree::GetFrameCount() const {
  const auto timing = VideoTiming::FromTree(*this);
  return timing ? timing->frame_count() : -1;
}

float BoxTree::GetFrameRate() const {
  const auto timing = VideoTiming::FromTree(*this);
  return timing ? static_cast<float>(timing->frame_rate()) : -1.0f;
}

}  // namespace recording
