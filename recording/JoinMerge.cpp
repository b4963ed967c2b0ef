// Appending one recording's box tree to another's.
#include <cstring>
#include <map>
#include <string>

#include "platform/ByteOrder.h"
#include "recording/MovieBoxes.h"
#include "recording/RecordingJoin.h"

namespace recording {
namespace {

constexpr std::uint64_t kMax32 = 0xFFFFFFFFull;

void SetBe32(BoxNode& n, std::size_t offset, std::uint32_t v) { platform::StoreBE32(n.payload.data() + offset, v); }

// For every node, the index of the trak it lies in (-1 outside any trak).
std::map<const BoxNode*, int> TrackIndices(const BoxTree& tree) {
  std::map<const BoxNode*, int> tracks;
  int next = 0;
  struct Walker {
    std::map<const BoxNode*, int>& tracks;
    int& next;
    void Visit(const BoxNode& n, int track) {
      if (n.IsType("trak")) track = next++;
      tracks[&n] = track;
      for (const BoxNode& c : n.children) Visit(c, track);
    }
  } walker{tracks, next};
  walker.Visit(tree.root(), -1);
  return tracks;
}

bool Contains(const BoxNode& n, std::string_view type) {
  if (n.IsType(type)) return true;
  for (const BoxNode& c : n.children) {
    if (Contains(c, type)) return true;
  }
  return false;
}

// A container the reader had to treat as a leaf without a copy of its bytes,
// holding a box the join edits: its bytes could not be written as edited.
bool EditedBoxInsideUncopiedLeaf(const BoxNode& n) {
  if (n.IsLeafWithoutCopy()) {
    for (std::size_t i = 0; i < kBoxListCount; ++i) {
      for (const BoxNode& c : n.children) {
        if (Contains(c, BoxListType(static_cast<BoxList>(i)))) return true;
      }
    }
    return false;
  }
  for (const BoxNode& c : n.children) {
    if (EditedBoxInsideUncopiedLeaf(c)) return true;
  }
  return false;
}

std::string LayoutProblem(const BoxTree& t) {
  int mdat_at = -1, moov_at = -1, mdats = 0;
  for (std::size_t i = 0; i < t.root().children.size(); ++i) {
    const BoxNode& c = t.root().children[i];
    if (c.IsType("mdat")) {
      ++mdats;
      if (mdat_at < 0) mdat_at = static_cast<int>(i);
    }
    if (c.IsType("moov") && moov_at < 0) moov_at = static_cast<int>(i);
  }
  // The writer writes the root's boxes; bytes after them would be lost.
  if (t.root().has_raw_payload) {
    std::uint64_t boxes = 0;
    for (const BoxNode& c : t.root().children) boxes += c.read_payload_size + 8;
    return "the bytes from offset " + std::to_string(boxes) + " on are not boxes";
  }
  if (mdats != 1 || t.List(BoxList::kMdat).size() != 1) return "it does not have exactly one mdat box";
  if (moov_at < 0) return "it has no moov box";
  if (t.List(BoxList::kMvhd).size() != 1) return "it does not have exactly one mvhd box";
  if (moov_at < mdat_at) return "its moov box comes before the media data";
  if (Contains(t.root(), "co64")) return "it uses 64-bit chunk offsets (co64)";
  if (Contains(t.root(), "ctts")) return "it has composition offsets (ctts)";
  if (EditedBoxInsideUncopiedLeaf(t.root())) return "a sample table lies inside a box that could not be read";
  // The join edits the 32-bit times of version 0 boxes in place.
  for (BoxList list : {BoxList::kMvhd, BoxList::kTkhd, BoxList::kMdhd, BoxList::kElst}) {
    for (const BoxNode* n : t.List(list)) {
      if (!n->payload.empty() && n->payload[0] != 0) {
        return "it has a version " + std::to_string(n->payload[0]) + " " + std::string(BoxListType(list)) +
               " box (64-bit times), which the join cannot edit";
      }
    }
  }
  // Every box the join reads or edits must be long enough for it.
  const std::pair<BoxList, std::size_t> minimum[] = {{BoxList::kMvhd, 20}, {BoxList::kTkhd, 24}, {BoxList::kElst, 12},
                                                     {BoxList::kMdhd, 20}, {BoxList::kStts, 16}, {BoxList::kStsz, 12},
                                                     {BoxList::kStss, 8},  {BoxList::kStco, 8}};
  for (const auto& [list, bytes] : minimum) {
    for (const BoxNode* n : t.List(list)) {
      if (n->payload.size() < bytes) return std::string(BoxListType(list)) + " box too short";
    }
  }
  for (const BoxNode* n : t.List(BoxList::kStts)) {
    if (Be32(*n, 4) != 1) return "a track has more than one stts entry";
  }
  for (const BoxNode* n : t.List(BoxList::kStsz)) {
    if (Be32(*n, 4) == 0 && n->payload.size() < 12 + 4ull * Be32(*n, 8)) return "stsz table cut short";
  }
  for (BoxList list : {BoxList::kStss, BoxList::kStco}) {
    for (const BoxNode* n : t.List(list)) {
      if (n->payload.size() < 8 + 4ull * Be32(*n, 4)) return std::string(BoxListType(list)) + " table cut short";
    }
  }
  return {};
}

// The stsc boxes in track order.
std::vector<const BoxNode*> Stsc(const BoxTree& t) {
  std::vector<const BoxNode*> out;
  struct Walker {
    std::vector<const BoxNode*>& out;
    void Visit(const BoxNode& n) {
      if (n.IsType("stsc")) out.push_back(&n);
      for (const BoxNode& c : n.children) Visit(c);
    }
  } walker{out};
  walker.Visit(t.root());
  return out;
}

// The sample count of the track a box lies in, as its stts says (0 when it
// has none).
std::uint32_t SampleCount(const BoxTree& t, const std::map<const BoxNode*, int>& tracks, const BoxNode& in_track) {
  for (const BoxNode* stts : t.List(BoxList::kStts)) {
    if (tracks.at(stts) == tracks.at(&in_track)) return Be32(*stts, 8);
  }
  return 0;
}

// Sync sample numbers outside 1 to the track's sample count, or a track
// whose stts and stsz count different samples, would shift the next
// recording's key frames onto the wrong samples.
std::string SyncTableProblem(const BoxTree& t, const std::map<const BoxNode*, int>& tracks) {
  for (const BoxNode* stsz : t.List(BoxList::kStsz)) {
    if (Be32(*stsz, 8) != SampleCount(t, tracks, *stsz)) return "its stts and stsz count different samples";
  }
  for (const BoxNode* stss : t.List(BoxList::kStss)) {
    const std::uint32_t samples = SampleCount(t, tracks, *stss);
    for (std::uint32_t k = 0; k < Be32(*stss, 4); ++k) {
      const std::uint32_t sample = Be32(*stss, 8 + 4ull * k);
      if (sample == 0 || sample > samples) {
        return "sync sample " + std::to_string(sample) + " is not one of its " + std::to_string(samples) + " samples";
      }
    }
  }
  return {};
}

}  // namespace

std::string CheckJoinable(const BoxTree& a, const BoxTree& b) {
  for (const BoxTree* t : {&a, &b}) {
    const std::string problem = LayoutProblem(*t);
    if (!problem.empty()) return t->path().string() + ": " + problem;
  }
  const std::string name = b.path().string() + ": ";
  if (a.List(BoxList::kMdat)[0]->read_payload_offset != b.List(BoxList::kMdat)[0]->read_payload_offset) {
    return name + "its media data starts at another offset than the first recording's";
  }
  const auto tracks_a = Tracks(a), tracks_b = Tracks(b);
  if (tracks_a.size() != tracks_b.size()) return name + "another number of tracks than the first recording";
  for (std::size_t i = 0; i < tracks_a.size(); ++i) {
    if (HandlerOf(*tracks_a[i]) != HandlerOf(*tracks_b[i])) return name + "its tracks are in another order";
  }
  const auto index_a = TrackIndices(a), index_b = TrackIndices(b);
  for (std::size_t l = 0; l < kBoxListCount; ++l) {
    const auto list = static_cast<BoxList>(l);
    const auto& la = a.List(list);
    const auto& lb = b.List(list);
    if (la.size() != lb.size()) return name + "a different number of " + std::string(BoxListType(list)) + " boxes";
    for (std::size_t i = 0; i < la.size(); ++i) {
      if (index_a.at(la[i]) != index_b.at(lb[i])) return name + std::string(BoxListType(list)) + " boxes in other tracks";
    }
  }
  const auto& stts_a = a.List(BoxList::kStts);
  const auto& stts_b = b.List(BoxList::kStts);
  for (std::size_t i = 0; i < stts_a.size(); ++i) {
    if (Be32(*stts_a[i], 12) != Be32(*stts_b[i], 12)) return name + "another frame or sample duration";
  }
  const auto& mdhd_a = a.List(BoxList::kMdhd);
  const auto& mdhd_b = b.List(BoxList::kMdhd);
  for (std::size_t i = 0; i < mdhd_a.size(); ++i) {
    if (Be32(*mdhd_a[i], 12) != Be32(*mdhd_b[i], 12)) return name + "another track timescale";
  }
  if (Be32(*a.List(BoxList::kMvhd)[0], 12) != Be32(*b.List(BoxList::kMvhd)[0], 12)) return name + "another movie timescale";
  const auto& stsd_a = a.List(BoxList::kStsd);
  const auto& stsd_b = b.List(BoxList::kStsd);
  for (std::size_t i = 0; i < stsd_a.size(); ++i) {
    if (stsd_a[i]->payload != stsd_b[i]->payload) return name + "another picture or sound format";
  }
  const auto& stsz_a = a.List(BoxList::kStsz);
  const auto& stsz_b = b.List(BoxList::kStsz);
  for (std::size_t i = 0; i < stsz_a.size(); ++i) {
    if (Be32(*stsz_a[i], 4) != Be32(*stsz_b[i], 4)) return name + "another kind of sample size table";
  }
  const auto stsc_a = Stsc(a), stsc_b = Stsc(b);
  if (stsc_a.size() != stsc_b.size()) return name + "a different number of stsc boxes";
  for (std::size_t i = 0; i < stsc_a.size(); ++i) {
    const BoxNode& sa = *stsc_a[i];
    if (sa.payload.size() < 8 || Be32(sa, 4) != 1 || sa.payload != stsc_b[i]->payload) {
      return name + "another chunk layout (stsc)";
    }
  }
  return {};
}

bool MergeInto(BoxTree& a, BoxTree& b, std::string* why) {
  const std::string problem = CheckJoinable(a, b);
  if (!problem.empty()) {
    if (why) *why = problem;
    return false;
  }
  auto too_large = [why, &b]() {
    if (why) *why = b.path().string() + ": the joined recording would pass 4 GiB";
    return false;
  };
  BoxNode& mdat_a = *a.List(BoxList::kMdat)[0];
  BoxNode& mdat_b = *b.List(BoxList::kMdat)[0];
  const std::uint64_t first_size = mdat_a.payload_size;
  // Check every sum before anything changes.
  if (first_size + mdat_b.payload_size > kMax32 - 8) return too_large();
  const std::pair<BoxList, std::size_t> durations[] = {
      {BoxList::kMvhd, 16}, {BoxList::kTkhd, 20}, {BoxList::kElst, 8}, {BoxList::kMdhd, 16}, {BoxList::kStts, 8}};
  for (const auto& [list, offset] : durations) {
    for (std::size_t i = 0; i < a.List(list).size(); ++i) {
      if (std::uint64_t{Be32(*a.List(list)[i], offset)} + Be32(*b.List(list)[i], offset) > kMax32) return too_large();
    }
  }
  for (const BoxNode* stco : b.List(BoxList::kStco)) {
    for (std::uint32_t k = 0; k < Be32(*stco, 4); ++k) {
      if (Be32(*stco, 8 + 4ull * k) + first_size > kMax32) return too_large();
    }
  }
  auto too_many = [why, &b]() {
    if (why) *why = b.path().string() + ": the joined sample numbers would pass 32 bits";
    return false;
  };
  // A constant-size table holds no entries that would bound its count.
  for (std::size_t i = 0; i < a.List(BoxList::kStsz).size(); ++i) {
    if (std::uint64_t{Be32(*a.List(BoxList::kStsz)[i], 8)} + Be32(*b.List(BoxList::kStsz)[i], 8) > kMax32) {
      return too_many();
    }
  }
  // B's sync samples move by A's stts count.
  const auto tracks_a = TrackIndices(a), tracks_b = TrackIndices(b);
  for (std::size_t i = 0; i < b.List(BoxList::kStss).size(); ++i) {
    const BoxNode& stss = *b.List(BoxList::kStss)[i];
    const std::uint64_t shift = SampleCount(a, tracks_a, *a.List(BoxList::kStss)[i]);
    for (std::uint32_t k = 0; k < Be32(stss, 4); ++k) {
      if (Be32(stss, 8 + 4ull * k) + shift > kMax32) return too_many();
    }
  }
  for (const BoxTree* t : {&a, &b}) {
    const std::string problem = SyncTableProblem(*t, t == &a ? tracks_a : tracks_b);
    if (!problem.empty()) {
      if (why) *why = t->path().string() + ": " + problem;
      return false;
    }
  }

  // Media data: B's mdat is written after A's (and after those chained before).
  if (mdat_a.linked_head == nullptr) {
    mdat_a.linked_head = &mdat_b;
  } else {
    mdat_a.linked_tail->linked_tail = &mdat_b;
  }
  mdat_a.linked_tail = &mdat_b;
  mdat_b.linked_tail = nullptr;
  mdat_a.payload_size = first_size + mdat_b.payload_size;

  auto set_payload = [](BoxNode& n, std::vector<std::uint8_t> bytes) {
    n.payload = std::move(bytes);
    n.payload_size = n.loaded_size = n.payload.size();
  };
  // Sample sizes.
  for (std::size_t i = 0; i < a.List(BoxList::kStsz).size(); ++i) {
    BoxNode& sa = *a.List(BoxList::kStsz)[i];
    const BoxNode& sb = *b.List(BoxList::kStsz)[i];
    const std::uint32_t count_a = Be32(sa, 8), count_b = Be32(sb, 8);
    if (Be32(sa, 4) == 0 && Be32(sb, 4) == 0) {
      std::vector<std::uint8_t> joined(sa.payload.begin(), sa.payload.begin() + 12 + 4ll * count_a);
      joined.insert(joined.end(), sb.payload.begin() + 12, sb.payload.begin() + 12 + 4ll * count_b);
      set_payload(sa, std::move(joined));
    }
    SetBe32(sa, 8, count_a + count_b);
  }
  // Sync samples: B's numbers move by A's frame count, then the tables join.
  auto join_tables = [&](BoxNode& ta, const BoxNode& tb, std::uint32_t shift) {
    const std::uint32_t count_a = Be32(ta, 4), count_b = Be32(tb, 4);
    std::vector<std::uint8_t> joined(ta.payload.begin(), ta.payload.begin() + 8 + 4ll * count_a);
    for (std::uint32_t k = 0; k < count_b; ++k) {
      std::uint8_t entry[4];
      platform::StoreBE32(entry, Be32(tb, 8 + 4ull * k) + shift);
      joined.insert(joined.end(), entry, entry + 4);
    }
    set_payload(ta, std::move(joined));
    SetBe32(ta, 4, count_a + count_b);
  };
  // The frame count comes from the stts of the sync table's own track,
  // read before the durations below change it.
  for (std::size_t i = 0; i < a.List(BoxList::kStss).size(); ++i) {
    BoxNode& stss = *a.List(BoxList::kStss)[i];
    join_tables(stss, *b.List(BoxList::kStss)[i], SampleCount(a, tracks_a, stss));
  }
  // Chunk offsets: B's chunks now follow A's media data.
  for (std::size_t i = 0; i < a.List(BoxList::kStco).size(); ++i) {
    join_tables(*a.List(BoxList::kStco)[i], *b.List(BoxList::kStco)[i], static_cast<std::uint32_t>(first_size));
  }
  for (const auto& [list, offset] : durations) {
    for (std::size_t i = 0; i < a.List(list).size(); ++i) {
      BoxNode& na = *a.List(list)[i];
      SetBe32(na, offset, Be32(na, offset) + Be32(*b.List(list)[i], offset));
    }
  }
  return true;
}

}  // namespace recording
