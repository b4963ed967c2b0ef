#include "TestFiles.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace testfiles {

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "brennovale-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

void WriteFile(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string ReadText(const std::filesystem::path& path) {
  const Bytes bytes = ReadFile(path);
  return std::string(bytes.begin(), bytes.end());
}

Bytes BE32(std::uint32_t v) {
  return {static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 8),
          static_cast<std::uint8_t>(v)};
}

Bytes Text(std::string_view s) { return Bytes(s.begin(), s.end()); }
Bytes Zeros(std::size_t n) { return Bytes(n, 0); }

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

Bytes BoxWithSize(std::uint32_t size, std::string_view type, const Bytes& payload) {
  return Concat({BE32(size), Text(type), payload});
}

Bytes Box(std::string_view type, const Bytes& payload) {
  return BoxWithSize(static_cast<std::uint32_t>(payload.size() + 8), type, payload);
}

Bytes BE16(std::uint16_t v) { return {static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)}; }

Bytes BE64(std::uint64_t v) { return Concat({BE32(static_cast<std::uint32_t>(v >> 32)), BE32(static_cast<std::uint32_t>(v))}); }

namespace {

constexpr std::size_t kMiniTableEntries = 100000;
constexpr std::uint32_t kMiniMedia = 28;  // the media's offset in MiniMovie: after ftyp and the mdat header

// Timescale and duration after the version, flags and the two 4- or 8-byte times.
Bytes HeaderTimes(std::uint8_t version, std::uint32_t timescale, std::uint64_t duration) {
  const Bytes version_flags = {version, 0, 0, 0};
  if (version == 1) return Concat({version_flags, Zeros(16), BE32(timescale), BE64(duration)});
  return Concat({version_flags, Zeros(8), BE32(timescale), BE32(static_cast<std::uint32_t>(duration))});
}

}  // namespace

Bytes BaselineSps(std::uint32_t width, std::uint32_t height) {
  std::vector<bool> bits;
  auto put = [&bits](std::uint32_t v, int n) {
    for (int i = n - 1; i >= 0; --i) bits.push_back(((v >> i) & 1) != 0);
  };
  auto ue = [&put](std::uint32_t v) {
    int n = 0;
    while ((std::uint64_t{v} + 1) >> (n + 1) != 0) ++n;
    put(0, n);
    put(v + 1, n + 1);
  };
  const std::uint32_t width_mbs = (width + 15) / 16, height_mbs = (height + 15) / 16;
  put(66, 8);   // baseline profile
  put(10, 16);  // constraint flags, level 1
  ue(0);        // SPS id
  ue(0);        // log2 of the largest frame number - 4
  ue(2);        // picture order type 2
  ue(1);        // reference frames
  put(0, 1);
  ue(width_mbs - 1);
  ue(height_mbs - 1);
  put(1, 1);  // frames only
  put(1, 1);  // direct 8x8 inference
  const bool crop = width_mbs * 16 != width || height_mbs * 16 != height;
  put(crop ? 1 : 0, 1);
  if (crop) {
    ue(0);
    ue((width_mbs * 16 - width) / 2);
    ue(0);
    ue((height_mbs * 16 - height) / 2);
  }
  put(0, 1);  // no VUI
  put(1, 1);  // stop bit
  while (bits.size() % 8 != 0) bits.push_back(false);
  Bytes out{0x67};
  for (std::size_t i = 0; i < bits.size(); i += 8) {
    std::uint8_t byte = 0;
    for (int k = 0; k < 8; ++k) byte = static_cast<std::uint8_t>(byte << 1 | (bits[i + k] ? 1 : 0));
    out.push_back(byte);
  }
  return out;
}

Bytes MiniTrak(const MiniTrack& t) {
  std::uint64_t frames = 0, duration = 0;
  Bytes stts = Concat({Zeros(4), BE32(static_cast<std::uint32_t>(t.stts.size()))});
  for (auto [count, delta] : t.stts) {
    stts = Concat({stts, BE32(count), BE32(delta)});
    frames += count;
    duration += std::uint64_t{count} * delta;
  }
  const auto sized = static_cast<std::uint32_t>(t.stsz_count < 0 ? frames : static_cast<std::uint64_t>(t.stsz_count));
  Bytes stsz = Concat({Zeros(4), BE32(t.sample_size), BE32(sized)});
  // A table holds at most kMiniTableEntries sizes, like a corrupt file's
  // that promises more.
  const std::size_t written = std::min<std::size_t>(sized, kMiniTableEntries);
  if (t.sample_size == 0) stsz = Concat({stsz, Bytes(4 * written, 0)});
  for (std::size_t i = 0; t.sample_size == 0 && i < written; ++i) stsz[12 + 4 * i + 3] = 1;
  const bool video = t.handler == "vide";
  // An H.264 configuration with one SPS of the coded size and one PPS.
  const Bytes sps = BaselineSps(t.sps_width >= 0 ? static_cast<std::uint32_t>(t.sps_width) : t.width, t.height);
  const std::uint8_t sps_length = t.damaged_avcc ? 0x40 : static_cast<std::uint8_t>(sps.size());
  const Bytes avcc = Box("avcC", Concat({{1, 0x42, 0, 0x0A, 0xFF, 0xE1, 0, sps_length}, sps, {1, 0, 2, 0x68, 0xEE}}));
  const Bytes entry = video ? Box("avc1", Concat({Zeros(6), BE16(1), Zeros(16), BE16(t.width), BE16(t.height), Zeros(50),
                                                  avcc}))
                            : Box("sowt", Concat({Zeros(6), BE16(1), Zeros(20), t.entry_boxes}));
  const std::uint32_t per_chunk = t.samples_in_chunk >= 0 ? static_cast<std::uint32_t>(t.samples_in_chunk) : sized;
  Bytes stsc = Concat({Zeros(4), BE32(1), BE32(1), BE32(per_chunk), BE32(1)});
  if (!t.stsc_runs.empty()) {
    stsc = Concat({Zeros(4), BE32(static_cast<std::uint32_t>(t.stsc_runs.size() / 3))});
    for (std::uint32_t v : t.stsc_runs) stsc = Concat({stsc, BE32(v)});
  }
  const std::uint32_t offset = t.chunk_offset >= 0 ? static_cast<std::uint32_t>(t.chunk_offset) : kMiniMedia;
  const Bytes stbl = Box("stbl", Concat({Box("stsd", Concat({Zeros(4), BE32(t.stsd_entries), entry})), Box("stts", stts),
                                         Box("stsc", stsc), Box("stsz", stsz),
                                         t.chunk_offsets ? Box("stco", Concat({Zeros(4), BE32(1), BE32(offset)})) : Bytes{}}));
  const Bytes minf = Box("minf", Concat({Box(video ? "vmhd" : "smhd", Zeros(12)), stbl}));
  const Bytes hdlr = Box("hdlr", Concat({Zeros(4), Text("mhlr"), Text(t.handler), Zeros(13)}));
  const Bytes mdhd = Box("mdhd", Concat({HeaderTimes(t.mdhd_version, t.timescale, duration), Zeros(4)}));
  // Version 0: the picture size at the end, in 16.16 fixed point.
  const std::uint32_t shown_width = t.header_width >= 0 ? static_cast<std::uint32_t>(t.header_width) : t.width;
  const Bytes tkhd = Box("tkhd", Concat({Zeros(76), BE32(shown_width << 16), BE32(std::uint32_t{t.height} << 16)}));
  return Box("trak", Concat({tkhd, t.inside_trak, Box("mdia", Concat({mdhd, hdlr, minf}))}));
}

Bytes MiniMovie(std::uint32_t movie_timescale, std::uint64_t movie_duration, const std::vector<Bytes>& traks,
                const Bytes& media, std::uint8_t mvhd_version) {
  Bytes moov = Box("mvhd", Concat({HeaderTimes(mvhd_version, movie_timescale, movie_duration), Zeros(80)}));
  for (const Bytes& trak : traks) moov = Concat({moov, trak});
  return Concat({Box("ftyp", Concat({Text("qt  "), Zeros(4), Text("qt  ")})), Box("mdat", media), Box("moov", moov),
                 Box("free", Zeros(300))});
}

Bytes MiniRecording(std::uint32_t timescale, std::uint32_t duration, std::uint32_t frames, std::uint32_t delta,
                    const Bytes& media) {
  MiniTrack video;
  video.timescale = timescale;
  video.stts = {{frames, delta}};
  return MiniMovie(timescale, duration, {MiniTrak(video)}, media);
}

const std::vector<samplecard::WrittenRecording>& SharedCard() {
  // Made once in the build tree and reused by every test process: written
  // to a folder of its own, then renamed into place so that processes
  // running side by side never see half a card.
  static const std::vector<samplecard::WrittenRecording> card = [] {
    samplecard::CardOptions options;
    options.recordings = 3;
    options.seconds = 2.0;
    const std::filesystem::path root = std::filesystem::path(BRENNOVALE_TEST_DATA) / "shared-card-1";
    std::error_code ec;
    if (!std::filesystem::exists(root / "complete", ec)) {
      std::filesystem::create_directories(root.parent_path(), ec);
      const auto scratch = root.parent_path() / ("shared-card-tmp-" + std::to_string(getpid()));
      std::filesystem::remove_all(scratch, ec);
      auto written = samplecard::WriteSampleCard(scratch, options);
      if (!written) throw std::runtime_error(written.error());
      WriteFile(scratch / "complete", {});
      std::filesystem::rename(scratch, root, ec);
      if (ec) std::filesystem::remove_all(scratch, ec);  // another process was first
    }
    // The same options give the same files; only the paths are needed here.
    return samplecard::PlanSampleCard(root, options);
  }();
  return card;
}

void WriteStubRecording(const std::filesystem::path& path) {
  std::filesystem::create_directories(path.parent_path());
  WriteFile(path, Concat({Box("ftyp", Concat({Text("qt  "), Zeros(4), Text("qt  ")})), Box("free", Zeros(272))}));
}

std::string Run(const std::string& command, int* status) {
  std::string output;
  std::FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) {
    if (status) *status = -1;
    return output;
  }
  std::array<char, 4096> buffer;
  std::size_t n;
  while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) output.append(buffer.data(), n);
  const int rc = pclose(pipe);
  if (status) *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  return output;
}

std::map<std::string, std::string> ProbeVideo(const std::filesystem::path& path) {
  int status = 0;
  const std::string out = Run("ffprobe -v error -select_streams v:0 -count_packets -show_entries "
                              "format=duration:stream=width,height,nb_frames,nb_read_packets,r_frame_rate,avg_frame_rate "
                              "-of flat '" + path.string() + "'",
                              &status);
  std::map<std::string, std::string> values;
  if (status != 0) return values;
  std::istringstream lines(out);
  std::string line;
  while (std::getline(lines, line)) {
    const auto eq = line.find('=');
    if (eq == std::string::npos) continue;
    std::string key = line.substr(0, eq), value = line.substr(eq + 1);
    if (key.rfind("streams.stream.0.", 0) == 0) key = "stream." + key.substr(17);
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    values[key] = value;
  }
  return values;
}

double Number(std::string_view text) {
  const auto slash = text.find('/');
  if (slash != std::string_view::npos) return Number(text.substr(0, slash)) / Number(text.substr(slash + 1));
  double v = 0;
  std::from_chars(text.data(), text.data() + text.size(), v);
  return v;
}

}  // namespace testfiles
