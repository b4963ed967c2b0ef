#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "tools/samplecard/SampleCard.h"

namespace testfiles {

using Bytes = std::vector<std::uint8_t>;

// A folder under the system temporary folder, removed with everything in it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

void WriteFile(const std::filesystem::path& path, const Bytes& bytes);
Bytes ReadFile(const std::filesystem::path& path);
// The whole file as text; empty when it cannot be read.
std::string ReadText(const std::filesystem::path& path);

// A box with a 32-bit size computed from its payload.
Bytes Box(std::string_view type, const Bytes& payload);
// A box whose size field says something else than its bytes.
Bytes BoxWithSize(std::uint32_t size, std::string_view type, const Bytes& payload);
Bytes Concat(std::initializer_list<Bytes> parts);
Bytes BE32(std::uint32_t v);
Bytes Text(std::string_view s);
Bytes Zeros(std::size_t n);

Bytes BE16(std::uint16_t v);
Bytes BE64(std::uint64_t v);

// One track of a minimal recording: tkhd, then mdia with mdhd, hdlr and a
// sample table (stsd, stts, stsc and stco putting every sample in one chunk
// at the start of MiniMovie's media, stsz with constant sizes).
struct MiniTrack {
  std::string handler = "vide";
  std::uint32_t timescale = 600;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> stts{{60, 10}};  // (count, delta) entries
  std::int64_t stsz_count = -1;  // -1: as many as stts counts
  std::uint32_t sample_size = 1;  // 0: a table of 1-byte sizes (of at most 100,000 entries)
  std::uint8_t mdhd_version = 0;
  std::int64_t samples_in_chunk = -1;  // -1: all of them
  std::int64_t chunk_offset = -1;      // -1: at the start of the media
  std::uint32_t stsd_entries = 1;
  Bytes inside_trak;  // boxes between tkhd and mdia
  std::uint16_t width = 64, height = 48;
  std::int32_t header_width = -1;  // the track header's; -1: width
  bool damaged_avcc = false;       // its SPS length runs past the box
  std::int32_t sps_width = -1;     // the width its SPS codes; -1: width
  std::vector<std::uint32_t> stsc_runs;  // (first chunk, samples, description) triples; empty: one run of all
  bool chunk_offsets = true;             // false: no stco
  Bytes entry_boxes;                     // boxes ending a sound sample entry
};
// A baseline H.264 SPS NAL unit coding that picture size (even sizes).
Bytes BaselineSps(std::uint32_t width, std::uint32_t height);
Bytes MiniTrak(const MiniTrack& track);
// ftyp, mdat (holding media), moov with an mvhd of that version and the
// tracks, and padding.
Bytes MiniMovie(std::uint32_t movie_timescale, std::uint64_t movie_duration, const std::vector<Bytes>& traks,
                const Bytes& media = Bytes(64, 0xAB), std::uint8_t mvhd_version = 0);
// A minimal recording with one video track of one stts entry, whose media
// and movie timescales are both timescale.
Bytes MiniRecording(std::uint32_t timescale, std::uint32_t duration, std::uint32_t frames, std::uint32_t delta,
                    const Bytes& media = Bytes(64, 0xAB));

// A small card made once per test program (3 recordings, 2 s, 10 Hz), shared.
const std::vector<samplecard::WrittenRecording>& SharedCard();

// A file that passes the recording check and nothing more: an "ftyp" box
// and padding to 300 bytes.
void WriteStubRecording(const std::filesystem::path& path);

// Runs a shell command; returns its standard output, and its exit status in status.
std::string Run(const std::string& command, int* status = nullptr);

// What ffprobe reads of a file's first video stream and of its format, as
// "stream.width", "stream.height", "stream.r_frame_rate",
// "stream.avg_frame_rate", "stream.nb_frames", "stream.nb_read_packets" and
// "format.duration"; empty when ffprobe fails.
std::map<std::string, std::string> ProbeVideo(const std::filesystem::path& path);
// A decimal number or a ratio ("30000/1001") as ffprobe prints them.
double Number(std::string_view text);

}  // namespace testfiles
