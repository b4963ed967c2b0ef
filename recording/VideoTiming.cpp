#include "recording/VideoTiming.h"

#include <algorithm>
#include <climits>
#include <limits>
#include <string>

#include "platform/ByteOrder.h"
#include "recording/BoxTree.h"
#include "recording/MovieBoxes.h"
#include "recording/SequenceParameterSet.h"

namespace recording {
namespace {

using Wide = __int128;

constexpr std::uint32_t kMaxScale = INT_MAX;  // FFmpeg keeps timescales and deltas in an int

// value x num / den rounded to the nearest integer, halves away from zero,
// saturated to 64 bits; den > 0.
std::int64_t Rescale(Wide value, Wide num, Wide den) {
  const Wide product = value * num;
  const Wide q = product >= 0 ? (product + den / 2) / den : -((-product + den / 2) / den);
  constexpr Wide kMax = std::numeric_limits<std::int64_t>::max();
  constexpr Wide kMin = std::numeric_limits<std::int64_t>::min();
  return static_cast<std::int64_t>(std::clamp(q, kMin, kMax));
}


// The size of sample i (0-based); the table was checked to hold it.
std::uint32_t SampleSize(const BoxNode& stsz, std::uint32_t i) {
  const std::uint32_t constant = Be32(stsz, 4);
  return constant != 0 ? constant : Be32(stsz, 12 + 4ull * i);
}

// One sample duration for every frame, or the rate cannot be described.
std::string ReadDurations(const BoxNode* stts, std::uint64_t* frames, std::uint32_t* delta) {
  if (stts == nullptr) return "the video track has no stts box";
  if (stts->payload.size() < 8) return "the video track's stts box is cut short";
  const std::uint32_t entries = Be32(*stts, 4);
  if (stts->payload.size() < 8 + 8ull * entries) return "the video track's stts table is cut short";
  for (std::uint32_t i = 0; i < entries; ++i) {
    const std::uint32_t count = Be32(*stts, 8 + 8ull * i);
    const std::uint32_t d = Be32(*stts, 12 + 8ull * i);
    if (count == 0) continue;
    if (*frames > 0 && d != *delta) {
      return "variable frame rate (the video track's stts holds several sample durations)";
    }
    *delta = d;
    *frames += count;
  }
  if (*frames == 0) return "the video track has no frames";
  if (*delta == 0) return "the video track's sample delta is 0";
  if (*delta > kMaxScale) return "the video track's sample delta " + std::to_string(*delta) + " is above 2147483647";
  return {};
}

// The frame count must be what the sample sizes describe and the file can hold.
std::string ReadSizes(const BoxNode* stsz, std::uint64_t frames, std::uint64_t file_size, std::uint64_t* bytes) {
  if (stsz == nullptr || stsz->payload.size() < 12) return "the video track has no complete stsz box";
  const std::uint32_t constant = Be32(*stsz, 4);
  const std::uint32_t sized = Be32(*stsz, 8);
  if (sized != frames) return "stts counts " + std::to_string(frames) + " video frames, stsz " + std::to_string(sized);
  if (constant != 0) {
    *bytes = std::uint64_t{constant} * sized;
  } else {
    if (stsz->payload.size() < 12 + 4ull * sized) return "the video track's stsz table is cut short";
    for (std::uint32_t i = 0; i < sized; ++i) *bytes += Be32(*stsz, 12 + 4ull * i);
  }
  if (*bytes > file_size) return "the video frames add up to more bytes than the file holds";
  if (frames > static_cast<std::uint64_t>(INT_MAX)) return "too many video frames";
  return {};
}

// The parameter sets of an avcC or hvcC must be whole NAL units of their
// kinds: a decoder that cannot read them shows nothing.
bool ParameterSetsAreWhole(const std::uint8_t* p, std::size_t n, bool hevc) {
  std::size_t at = hevc ? 23 : 6;
  if (n < at || p[0] != 1) return false;
  // H.264: a count of SPS (type 7), then a byte with the count of PPS (type 8).
  // HEVC: arrays of NAL units, each with its type and count.
  const int groups = hevc ? p[22] : 2;
  for (int g = 0; g < groups; ++g) {
    if (hevc && at + 3 > n) return false;
    if (!hevc && g == 1 && at + 1 > n) return false;
    const int type = hevc ? (p[at] & 0x3F) : (g == 0 ? 7 : 8);
    const std::size_t count = hevc ? (std::size_t{p[at + 1]} << 8 | p[at + 2]) : g == 0 ? (p[5] & 0x1F) : p[at];
    at += hevc ? 3 : (g == 0 ? 0 : 1);
    if (!hevc && count == 0) return false;
    for (std::size_t k = 0; k < count; ++k) {
      if (at + 2 > n) return false;
      const std::size_t length = std::size_t{p[at]} << 8 | p[at + 1];
      at += 2;
      if (length == 0 || at + length > n) return false;
      const int nal_type = hevc ? (p[at] >> 1) & 0x3F : p[at] & 0x1F;
      if (nal_type != type) return false;
      at += length;
    }
  }
  return true;
}

// The picture size of the first SPS in an hvcC whose arrays were checked
// to be whole.
std::optional<PictureSize> FirstHevcSpsSize(const std::uint8_t* p) {
  std::size_t at = 23;
  for (int g = 0; g < p[22]; ++g) {
    const bool sps = (p[at] & 0x3F) == 33;
    const std::size_t count = std::size_t{p[at + 1]} << 8 | p[at + 2];
    at += 3;
    for (std::size_t k = 0; k < count; ++k) {
      const std::size_t length = std::size_t{p[at]} << 8 | p[at + 1];
      if (sps) return HevcPictureSize(p + at + 2, length);
      at += 2 + length;
    }
  }
  return std::nullopt;
}

// The codec configuration box among a visual sample entry's children, when
// the entry is H.264 or HEVC.
std::string CheckCodecConfiguration(const std::uint8_t* entry, std::size_t size, std::uint32_t width,
                                    std::uint32_t height) {
  const std::string_view type(reinterpret_cast<const char*>(entry + 4), 4);
  const bool avc = type == "avc1" || type == "avc3";
  const bool hevc = type == "hvc1" || type == "hev1";
  if (!avc && !hevc) return {};
  for (std::size_t at = 86; at + 8 <= size;) {
    const std::uint32_t box = platform::LoadBE32(entry + at);
    if (box < 8 || box > size - at) break;
    const std::string_view child(reinterpret_cast<const char*>(entry + at + 4), 4);
    if (child == (avc ? "avcC" : "hvcC")) {
      const std::uint8_t* config = entry + at + 8;
      if (!ParameterSetsAreWhole(config, box - 8, hevc)) {
        return "the video track's " + std::string(child) + " parameter sets are damaged";
      }
      // A decoder shows the size of the first SPS, whatever the entry says.
      const auto coded = hevc ? FirstHevcSpsSize(config)
                              : H264PictureSize(config + 8, std::size_t{config[6]} << 8 | config[7]);
      if (!coded) return "the video track's SPS picture size cannot be read";
      if (coded->width != width || coded->height != height) {
        return "the video track's SPS picture size " + std::to_string(coded->width) + "x" +
               std::to_string(coded->height) + " is not its sample description's " + std::to_string(width) + "x" +
               std::to_string(height);
      }
      return {};
    }
    at += box;
  }
  return "the video track's " + std::string(type) + " description has no " + (avc ? "avcC" : "hvcC");
}

// The first sample description must be a whole entry, as a demuxer reads
// it, and its picture size the track header's: the size is read from it, and
// a demuxer reports the one the coded pictures have.
std::string CheckSampleDescription(const BoxNode* stsd, const BoxNode* tkhd) {
  if (stsd == nullptr || stsd->payload.size() < 16) return "the video track has no sample description";
  const std::uint32_t entries = Be32(*stsd, 4);
  if (entries == 0 || entries > 1024 || entries > stsd->payload.size() / 8) {
    return "the video track's stsd claims " + std::to_string(entries) + " entries";
  }
  // A visual sample entry: 8 header bytes and 78 bytes of fields.
  const std::uint32_t first = Be32(*stsd, 8);
  if (first < 86 || first > stsd->payload.size() - 8) return "the video track's sample description is cut short";
  const std::uint32_t width = platform::LoadBE16(stsd->payload.data() + 40);
  const std::uint32_t height = platform::LoadBE16(stsd->payload.data() + 42);
  // The track header ends with width and height in 16.16 fixed point.
  const std::size_t at = tkhd != nullptr && !tkhd->payload.empty() && tkhd->payload[0] == 1 ? 88 : 76;
  if (tkhd == nullptr || tkhd->payload.size() < at + 8) return "the video track has no complete track header (tkhd)";
  const std::uint32_t shown_width = Be32(*tkhd, at) >> 16, shown_height = Be32(*tkhd, at + 4) >> 16;
  if (width == 0 || height == 0 || width != shown_width || height != shown_height) {
    return "the video track's picture size " + std::to_string(width) + "x" + std::to_string(height) +
           " is not its track header's " + std::to_string(shown_width) + "x" + std::to_string(shown_height);
  }
  return CheckCodecConfiguration(stsd->payload.data() + 8, first, width, height);
}

// The chunk tables must place exactly the frames stsz sizes, each inside the
// file: a demuxer reads no more frames than they place.
std::string CheckChunks(const BoxNode& stbl, const BoxNode& stsz, std::uint64_t frames, std::uint64_t file_size) {
  const BoxNode* stsc = FirstChild(stbl, "stsc");
  const BoxNode* stco = FirstChild(stbl, "stco");
  const BoxNode* co64 = FirstChild(stbl, "co64");
  const BoxNode* offsets = stco != nullptr ? stco : co64;
  if (stsc == nullptr || offsets == nullptr || stsc->payload.size() < 8 || offsets->payload.size() < 8) {
    return "the video track has no complete chunk tables (stsc, stco)";
  }
  const std::uint32_t runs = Be32(*stsc, 4);
  const std::uint32_t chunks = Be32(*offsets, 4);
  const std::size_t width = offsets == co64 ? 8 : 4;
  if (stsc->payload.size() < 8 + 12ull * runs) return "the video track's stsc table is cut short";
  if (offsets->payload.size() < 8 + std::uint64_t{width} * chunks) {
    return "the video track's " + std::string(offsets->Type()) + " table is cut short";
  }
  std::uint64_t sample = 0;
  for (std::uint32_t r = 0; r < runs; ++r) {
    const std::uint32_t first_chunk = Be32(*stsc, 8 + 12ull * r);
    const std::uint32_t per_chunk = Be32(*stsc, 12 + 12ull * r);
    const std::uint32_t next_chunk = r + 1 < runs ? Be32(*stsc, 8 + 12ull * (r + 1)) : chunks + 1;
    // Samples that name another description than the first are not the
    // video a demuxer shows.
    if (Be32(*stsc, 16 + 12ull * r) != 1) {
      return "the video track's stsc names another sample description than the first";
    }
    if (first_chunk == 0 || next_chunk <= first_chunk || next_chunk > chunks + 1) {
      return "the video track's stsc table is out of order";
    }
    for (std::uint32_t c = first_chunk; c < next_chunk; ++c) {
      const std::uint8_t* at = offsets->payload.data() + 8 + std::uint64_t{width} * (c - 1);
      std::uint64_t offset = width == 8 ? (std::uint64_t{platform::LoadBE32(at)} << 32) | platform::LoadBE32(at + 4)
                                        : platform::LoadBE32(at);
      for (std::uint32_t k = 0; k < per_chunk; ++k, ++sample) {
        if (sample >= frames) return "the chunk tables place more frames than stsz sizes";
        const std::uint32_t size = SampleSize(stsz, static_cast<std::uint32_t>(sample));
        if (size == 0) return "video frame " + std::to_string(sample) + " has no bytes";
        offset += size;
        if (offset > file_size) return "video frame " + std::to_string(sample) + " lies past the end of the file";
      }
    }
  }
  if (sample != frames) {
    return "the chunk tables place " + std::to_string(sample) + " video frames, stsz sizes " + std::to_string(frames);
  }
  return {};
}

// A demuxer presents only what the video track's edit list shows: accept
// none, or one edit at the normal rate that shows the track from its start
// offset (a decoding delay) to its end.
std::string CheckEdits(const BoxNode& trak, std::uint64_t media_duration, std::uint32_t timescale,
                       std::uint32_t movie_timescale) {
  const BoxNode* elst = FindPath(trak, {"edts", "elst"});
  if (elst == nullptr) return {};
  const auto& p = elst->payload;
  const bool wide = !p.empty() && p[0] == 1;
  const std::size_t entry = wide ? 20 : 12;
  if (p.size() < 8 || (p[0] != 0 && !wide) || p.size() < 8 + entry * std::uint64_t{Be32(*elst, 4)}) {
    return "the video track's edit list (elst) cannot be read";
  }
  if (Be32(*elst, 4) == 0) return {};
  auto field = [&](std::size_t at, bool long_field) -> std::int64_t {
    if (!long_field) return static_cast<std::int32_t>(Be32(*elst, at));
    return static_cast<std::int64_t>((std::uint64_t{Be32(*elst, at)} << 32) | Be32(*elst, at + 4));
  };
  const std::int64_t segment = field(8, wide);
  const std::int64_t media_time = field(wide ? 16 : 12, wide);
  const std::uint32_t rate = Be32(*elst, wide ? 24 : 16);
  const bool whole = Be32(*elst, 4) == 1 && rate == 0x00010000 && media_time >= 0 &&
                     static_cast<std::uint64_t>(media_time) < media_duration && segment >= 0 &&
                     // The segment, in the movie timescale, reaches the track's end (rounded down once).
                     static_cast<Wide>(segment + 1) * timescale >=
                         static_cast<Wide>(media_duration - static_cast<std::uint64_t>(media_time)) * movie_timescale;
  return whole ? std::string() : "the video track's edit list shows only part of it, or shifts it";
}

// The sample tables: where the entry count is and how long an entry is.
struct TableShape {
  std::string_view type;
  std::size_t count_at;
  std::size_t entry_bytes;
  bool constant_sized;  // entries are listed only when the constant size (offset 4) is 0
};
constexpr TableShape kTables[] = {{"stts", 4, 8, false}, {"ctts", 4, 8, false}, {"stss", 4, 4, false},
                                  {"stsc", 4, 12, false}, {"stco", 4, 4, false}, {"co64", 4, 8, false},
                                  {"stsz", 8, 4, true}};

// The first chunk of the last stsc run as a demuxer repairs a run out of
// order: a run that is not after the one before it, or starts before its own
// position, is moved there; a last run of no samples is dropped. 0 without
// runs. The table was checked to hold its runs.
std::int64_t LastRunAsRepaired(const BoxNode& stsc) {
  auto field = [&stsc](std::uint32_t run, int k) { return static_cast<std::int32_t>(Be32(stsc, 8 + 12ull * run + 4 * k)); };
  for (std::uint32_t n = Be32(stsc, 4); n > 0; --n) {
    const std::uint32_t i = n - 1;
    std::int64_t first = field(i, 0);
    const bool after_previous = i == 0 || first > field(i - 1, 0);
    if (after_previous && first >= std::int64_t{i} + 1 && field(i, 1) >= 1 && field(i, 2) >= 1) return first;
    if (field(i, 1) == 0 && i > 0) continue;
    first = std::max<std::int64_t>(first, std::int64_t{i} + 1);
    if (i > 0 && first <= field(i - 1, 0)) first = std::min<std::int64_t>(std::int64_t{field(i - 1, 0)} + 1, INT_MAX);
    return first;
  }
  return 0;
}

// Whether the MPEG-4 decoder configuration (ES, then decoder config, then
// decoder specific descriptor) of an esds box beginning at p holds bytes and
// fits in the box's n bytes: a demuxer refuses an empty one, and reads the
// configuration's length whatever the box holds, failing at the file's end.
bool EsdsConfigurationFits(const std::uint8_t* p, std::size_t n) {
  std::size_t at = 12;  // size, type, version and flags
  auto descriptor = [&](int tag, std::size_t* length) {
    if (at >= n || p[at++] != tag) return false;
    *length = 0;
    for (int k = 0; k < 4 && at < n; ++k) {
      *length = *length << 7 | (p[at] & 0x7F);
      if ((p[at++] & 0x80) == 0) return true;
    }
    return at < n;
  };
  std::size_t length = 0;
  if (!descriptor(3, &length) || at + 3 > n) return true;
  const std::uint8_t flags = p[at + 2];
  at += 3;
  if ((flags & 0x80) != 0) at += 2;
  if ((flags & 0x40) != 0) at += at < n ? 1 + std::size_t{p[at]} : 0;
  if ((flags & 0x20) != 0) at += 2;
  if (!descriptor(4, &length)) return true;
  at += 13;
  if (!descriptor(5, &length)) return true;
  return length > 0 && length <= n - std::min(at, n);
}

// Faults in any track that make a demuxer refuse the whole file.
std::string CheckEveryTrack(const BoxTree& tree) {
  int index = 0;
  for (const BoxNode* trak : Tracks(tree)) {
    const std::string track = "track " + std::to_string(++index) + ": ";
    // A box that runs past its parent ended the walk there; a demuxer cuts
    // it to fit and reads it, so what follows cannot be known alike.
    for (const BoxNode* box : {trak, FindPath(*trak, {"mdia"}), FindPath(*trak, {"mdia", "minf"}),
                               FindPath(*trak, {"mdia", "minf", "stbl"})}) {
      if (box != nullptr && box->has_raw_payload == 1) {
        return track + "its " + std::string(box->Type()) + " box holds a box that runs past its end";
      }
    }
    if (const BoxNode* mdhd = FindPath(*trak, {"mdia", "mdhd"})) {
      const auto times = ReadHeaderTimes(*mdhd);
      if (!times) return track + "its " + times.error();
    }
    // The data references: at least one, each at least a full box header.
    if (const BoxNode* dref = FindPath(*trak, {"mdia", "minf", "dinf", "dref"})) {
      const auto& p = dref->payload;
      bool whole = p.size() >= 8 && Be32(*dref, 4) >= 1;
      std::uint64_t at = 8;
      for (std::uint32_t r = 0; whole && r < Be32(*dref, 4); ++r) {
        const std::uint32_t size = at + 4 <= p.size() ? Be32(*dref, at) : 0;
        whole = size >= 12 && size <= p.size() - at;
        at += size;
      }
      if (!whole) return track + "its data references (dref) are damaged";
    }
    const BoxNode* stbl = FindPath(*trak, {"mdia", "minf", "stbl"});
    if (stbl == nullptr) continue;
    for (const auto& table : kTables) {
      const BoxNode* box = FirstChild(*stbl, table.type);
      if (box == nullptr) continue;
      const auto& p = box->payload;
      const bool listed = !table.constant_sized || (p.size() >= 12 && Be32(*box, 4) == 0);
      const std::uint64_t count = p.size() >= table.count_at + 4 ? Be32(*box, table.count_at) : 0;
      if (p.size() < table.count_at + 4 || (listed && p.size() < table.count_at + 4 + count * table.entry_bytes)) {
        return track + "its " + std::string(table.type) + " table is cut short";
      }
    }
    const BoxNode* stsd = FirstChild(*stbl, "stsd");
    if (stsd != nullptr && stsd->payload.size() >= 8) {
      const std::uint32_t entries = Be32(*stsd, 4);
      if (entries == 0 || entries > 1024 || entries > stsd->payload.size() / 8) {
        return track + "its stsd claims " + std::to_string(entries) + " entries";
      }
      std::uint64_t at = 8;
      for (std::uint32_t e = 0; e < entries; ++e) {
        const std::uint32_t size = at + 4 <= stsd->payload.size() ? Be32(*stsd, at) : 0;
        if (size < 16 || size > stsd->payload.size() - at) return track + "a sample description of an invalid size";
        at += size;
      }
    }
    if (stsd != nullptr) {
      const auto& p = stsd->payload;
      const std::string_view bytes(reinterpret_cast<const char*>(p.data()), p.size());
      for (std::size_t at = bytes.find("esds", 4); at != std::string_view::npos; at = bytes.find("esds", at + 1)) {
        const std::size_t size = std::min<std::size_t>(Be32(*stsd, at - 4), p.size() - (at - 4));
        if (size >= 12 && !EsdsConfigurationFits(p.data() + at - 4, size)) {
          return track + "its esds decoder configuration is empty or runs past its box";
        }
      }
    }
    const BoxNode* stsz = FirstChild(*stbl, "stsz");
    if (stsz != nullptr && stsz->payload.size() >= 12) {
      const std::uint32_t constant = Be32(*stsz, 4);
      const std::uint64_t room = (stsz->payload.size() - 12) / 4;
      const std::uint64_t listed = constant == 0 ? std::min<std::uint64_t>(Be32(*stsz, 8), room) : 0;
      bool too_big = constant > kMaxScale;
      for (std::uint64_t i = 0; i < listed && !too_big; ++i) too_big = Be32(*stsz, 12 + 4 * i) > kMaxScale;
      if (too_big) return track + "a sample size above 2147483647";
    }
    const BoxNode* stsc = FirstChild(*stbl, "stsc");
    const BoxNode* stco = FirstChild(*stbl, "stco");
    if (stco == nullptr) stco = FirstChild(*stbl, "co64");
    if (stsc != nullptr && stsc->payload.size() >= 8) {
      // No chunk table (or one cut off by a damaged size) holds no chunks.
      const std::uint32_t chunks = stco != nullptr && stco->payload.size() >= 8 ? Be32(*stco, 4) : 0;
      const std::uint32_t runs = Be32(*stsc, 4);
      bool beyond = LastRunAsRepaired(*stsc) > chunks;
      for (std::uint32_t r = 0; r < runs && !beyond; ++r) beyond = Be32(*stsc, 8 + 12ull * r) > chunks;
      if (beyond) return track + "its stsc names chunks that stco does not hold";
    }
  }
  return {};
}

bool IsFragmented(const BoxTree& tree, const BoxNode& moov) {
  return FirstChild(moov, "mvex") != nullptr || FirstChild(tree.root(), "moof") != nullptr;
}

}  // namespace

platform::Expected<VideoTiming> VideoTiming::FromTree(const BoxTree& tree) {
  using Result = platform::Expected<VideoTiming>;
  const std::string name = tree.path().string() + ": ";
  auto refuse = [&name](const std::string& why) { return Result::Failure(name + why); };

  const BoxNode* moov = FirstMovie(tree);
  if (moov == nullptr) return refuse("no moov box (not a complete recording)");
  if (IsFragmented(tree, *moov)) return refuse("a fragmented file (moof/mvex), which the viewer does not play");
  const BoxNode* mvhd = FirstChild(*moov, "mvhd");
  if (mvhd == nullptr) return refuse("no mvhd box (not a complete recording)");
  const auto movie = ReadHeaderTimes(*mvhd);
  if (!movie) return refuse(movie.error());
  if (movie->timescale == 0) return refuse("mvhd timescale is 0");
  if (movie->timescale > kMaxScale) {
    return refuse("the movie timescale " + std::to_string(movie->timescale) + " is above 2147483647");
  }
  if (movie->duration == 0) return refuse("the movie has no duration (mvhd)");

  const std::string tracks = CheckEveryTrack(tree);
  if (!tracks.empty()) return refuse(tracks);
  const BoxNode* trak = VideoTrack(tree);
  if (trak == nullptr) return refuse("no video track (no trak whose handler is 'vide')");
  const BoxNode* mdhd = FindPath(*trak, {"mdia", "mdhd"});
  const BoxNode* stbl = FindPath(*trak, {"mdia", "minf", "stbl"});
  if (mdhd == nullptr) return refuse("the video track has no mdhd box");
  if (stbl == nullptr) return refuse("the video track has no sample table");
  const auto media = ReadHeaderTimes(*mdhd);
  if (!media) return refuse("the video track's " + media.error());
  if (media->timescale == 0) return refuse("the video track's mdhd timescale is 0");
  if (media->timescale > kMaxScale) {
    return refuse("the video track's timescale " + std::to_string(media->timescale) + " is above 2147483647");
  }

  std::uint64_t frames = 0, bytes = 0;
  std::uint32_t delta = 0;
  const BoxNode* stsz = FirstChild(*stbl, "stsz");
  std::string why = ReadDurations(FirstChild(*stbl, "stts"), &frames, &delta);
  if (why.empty()) why = ReadSizes(stsz, frames, tree.file_size(), &bytes);
  if (why.empty()) why = CheckChunks(*stbl, *stsz, frames, tree.file_size());
  if (why.empty()) why = CheckSampleDescription(FirstChild(*stbl, "stsd"), FirstChild(*trak, "tkhd"));
  if (why.empty()) why = CheckEdits(*trak, frames * delta, media->timescale, movie->timescale);
  if (!why.empty()) return refuse(why);

  VideoTiming t;
  t.timescale_ = media->timescale;
  t.delta_ = delta;
  t.frame_count_ = static_cast<std::int32_t>(frames);
  t.movie_timescale_ = movie->timescale;
  t.movie_duration_ = movie->duration;
  t.media_bytes_ = bytes;
  return t;
}

platform::Expected<VideoTiming> VideoTiming::Read(const std::filesystem::path& path) {
  auto tree = BoxTree::Open(path, false);
  if (!tree) return platform::Expected<VideoTiming>::Failure(tree.error());
  return FromTree(**tree);
}

double VideoTiming::frame_rate() const { return valid() ? static_cast<double>(timescale_) / delta_ : 0.0; }

double VideoTiming::frame_duration_ms() const { return valid() ? 1000.0 * delta_ / timescale_ : 0.0; }

double VideoTiming::duration_seconds() const {
  return movie_timescale_ == 0 ? 0.0 : static_cast<double>(movie_duration_) / movie_timescale_;
}

std::int64_t VideoTiming::TicksOfFrame(std::int64_t frame) const { return Rescale(frame, delta_, 1); }

std::int64_t VideoTiming::FrameNearestTicks(std::int64_t ticks) const {
  return valid() ? Rescale(ticks, 1, delta_) : 0;
}

std::int64_t VideoTiming::TimeOfFrame(std::int64_t frame, std::int64_t units_per_second) const {
  return valid() ? Rescale(Wide{frame} * delta_, units_per_second, timescale_) : 0;
}

std::int32_t VideoTiming::FrameAtTime(std::int64_t time, std::int64_t units_per_second) const {
  if (!valid() || units_per_second <= 0) return 0;
  return ClampFrame(Rescale(time, timescale_, Wide{units_per_second} * delta_));
}

std::int32_t VideoTiming::ClampFrame(std::int64_t frame) const {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(frame, 0, std::max(0, frame_count_ - 1)));
}

bool VideoTiming::SameRate(const VideoTiming& other) const {
  return std::uint64_t{timescale_} * other.delta_ == std::uint64_t{other.timescale_} * delta_;
}

std::int32_t RearFrameFor(std::int32_t front_frame, const VideoTiming& front, const VideoTiming& rear) {
  if (!rear.valid()) return front_frame;
  if (!front.valid() || front.SameRate(rear)) return rear.ClampFrame(front_frame);
  // floor(f x front delta x rear timescale / (front timescale x rear delta)):
  // the rear frame under way when front frame f starts.
  const Wide num = Wide{front_frame} * front.delta() * rear.timescale();
  const Wide den = Wide{front.timescale()} * rear.delta();
  Wide q = num / den;
  if (num < 0 && q * den != num) --q;
  return rear.ClampFrame(static_cast<std::int64_t>(std::clamp<Wide>(q, INT64_MIN, INT64_MAX)));
}

}  // namespace recording
