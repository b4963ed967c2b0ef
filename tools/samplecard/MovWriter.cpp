#include "tools/samplecard/MovWriter.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace samplecard {
namespace {

class BoxBuffer {
 public:
  void Begin(const char* type) {
    open_.push_back(bytes_.size());
    U32(0);
    Raw(type, 4);
  }
  void End() {
    const std::size_t start = open_.back();
    open_.pop_back();
    const auto size = static_cast<std::uint32_t>(bytes_.size() - start);
    for (int i = 0; i < 4; ++i) bytes_[start + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(size >> (24 - 8 * i));
  }
  void U8(std::uint32_t v) { bytes_.push_back(static_cast<std::uint8_t>(v)); }
  void U16(std::uint32_t v) {
    U8(v >> 8);
    U8(v);
  }
  void U32(std::uint32_t v) {
    U16(v >> 16);
    U16(v);
  }
  void Raw(const void* data, std::size_t n) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    bytes_.insert(bytes_.end(), p, p + n);
  }
  void Zeros(std::size_t n) { bytes_.insert(bytes_.end(), n, 0); }
  void FullBox(const char* type, std::uint32_t version_flags) {
    Begin(type);
    U32(version_flags);
  }
  void Matrix() {
    const std::uint32_t m[9] = {0x10000, 0, 0, 0, 0x10000, 0, 0, 0, 0x40000000};
    for (std::uint32_t v : m) U32(v);
  }
  const std::vector<std::uint8_t>& bytes() const { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
  std::vector<std::size_t> open_;
};

struct TrackLayout {
  std::vector<std::uint32_t> chunk_offsets;
};

void WriteTrackHeader(BoxBuffer& b, std::uint32_t id, std::uint32_t movie_duration, bool sound, int width, int height) {
  b.FullBox("tkhd", 0x00000F);
  b.U32(0);  // creation
  b.U32(0);  // modification
  b.U32(id);
  b.U32(0);
  b.U32(movie_duration);
  b.Zeros(8);
  b.U16(0);  // layer
  b.U16(0);  // alternate group
  b.U16(sound ? 0x0100 : 0);
  b.U16(0);
  b.Matrix();
  b.U32(static_cast<std::uint32_t>(width) << 16);
  b.U32(static_cast<std::uint32_t>(height) << 16);
  b.End();
  b.Begin("edts");
  b.FullBox("elst", 0);
  b.U32(1);
  b.U32(movie_duration);
  b.U32(0);
  b.U32(0x10000);
  b.End();
  b.End();
}

void WriteMediaHeader(BoxBuffer& b, std::uint32_t timescale, std::uint32_t duration) {
  b.FullBox("mdhd", 0);
  b.U32(0);  // creation
  b.U32(0);  // modification
  b.U32(timescale);
  b.U32(duration);
  b.U16(0);  // language
  b.U16(0);  // quality
  b.End();
}

void WriteHandler(BoxBuffer& b, const char* component, const char* subtype, const char* name) {
  b.FullBox("hdlr", 0);
  b.Raw(component, 4);
  b.Raw(subtype, 4);
  b.U32(0);
  b.U32(0);
  b.U32(0);
  const std::size_t n = std::strlen(name);
  b.U8(static_cast<std::uint32_t>(n));  // counted string, as QuickTime writes it
  b.Raw(name, n);
  b.End();
}

void WriteDataInfo(BoxBuffer& b) {
  WriteHandler(b, "dhlr", "url ", "DataHandler");
  b.Begin("dinf");
  b.FullBox("dref", 0);
  b.U32(1);
  b.FullBox("url ", 1);  // self-contained
  b.End();
  b.End();
  b.End();
}

void WriteSampleToChunk(BoxBuffer& b, std::uint32_t samples_per_chunk) {
  b.FullBox("stsc", 0);
  b.U32(1);
  b.U32(1);
  b.U32(samples_per_chunk);
  b.U32(1);
  b.End();
}

void WriteChunkOffsets(BoxBuffer& b, const TrackLayout& layout) {
  b.FullBox("stco", 0);
  b.U32(static_cast<std::uint32_t>(layout.chunk_offsets.size()));
  for (std::uint32_t offset : layout.chunk_offsets) b.U32(offset);
  b.End();
}

// A duration in the movie timescale, rounded up so that it covers the track.
std::uint32_t MovieDuration(std::uint64_t duration, std::uint32_t timescale, std::uint32_t movie_timescale) {
  return static_cast<std::uint32_t>((duration * movie_timescale + timescale - 1) / timescale);
}

std::uint32_t MovieTimescale(const VideoTrack& v) { return v.movie_timescale != 0 ? v.movie_timescale : v.timescale; }

void WriteVideoTrack(BoxBuffer& b, const VideoTrack& v, const TrackLayout& layout) {
  const auto frames = static_cast<std::uint32_t>(v.frames.size());
  const std::uint32_t duration = frames * v.frame_delta;
  b.Begin("trak");
  WriteTrackHeader(b, 1, MovieDuration(duration, v.timescale, MovieTimescale(v)), false, v.width, v.height);
  b.Begin("mdia");
  WriteMediaHeader(b, v.timescale, duration);
  WriteHandler(b, "mhlr", "vide", "VideoHandler");
  b.Begin("minf");
  b.FullBox("vmhd", 1);
  b.U16(0x40);  // graphics mode: copy
  b.Zeros(6);
  b.End();
  WriteDataInfo(b);
  b.Begin("stbl");
  b.FullBox("stsd", 0);
  b.U32(1);
  b.Begin("avc1");
  b.Zeros(6);
  b.U16(1);  // data reference index
  b.U16(0);  // version
  b.U16(0);  // revision
  b.U32(0);  // vendor
  b.U32(0);  // temporal quality
  b.U32(512);  // spatial quality
  b.U16(static_cast<std::uint32_t>(v.width));
  b.U16(static_cast<std::uint32_t>(v.height));
  b.U32(0x00480000);
  b.U32(0x00480000);
  b.U32(0);
  b.U16(1);  // frames per sample
  static const char kCompressor[] = "H.264";
  b.U8(sizeof kCompressor - 1);
  b.Raw(kCompressor, sizeof kCompressor - 1);
  b.Zeros(31 - (sizeof kCompressor - 1));
  b.U16(24);
  b.U16(0xFFFF);
  b.Begin("avcC");
  b.Raw(v.avc_config.data(), v.avc_config.size());
  b.End();
  b.End();
  b.End();
  b.FullBox("stts", 0);
  b.U32(1);
  b.U32(frames);
  b.U32(v.frame_delta);
  b.End();
  std::vector<std::uint32_t> keys;
  for (std::uint32_t i = 0; i < frames; ++i) {
    if (v.frames[i].key) keys.push_back(i + 1);
  }
  b.FullBox("stss", 0);
  b.U32(static_cast<std::uint32_t>(keys.size()));
  for (std::uint32_t k : keys) b.U32(k);
  b.End();
  WriteSampleToChunk(b, 1);
  b.FullBox("stsz", 0);
  b.U32(0);
  b.U32(frames);
  for (const EncodedFrame& f : v.frames) b.U32(static_cast<std::uint32_t>(f.data.size()));
  b.End();
  WriteChunkOffsets(b, layout);
  b.End();  // stbl
  b.End();  // minf
  b.End();  // mdia
  b.End();  // trak
}

void WriteSoundTrack(BoxBuffer& b, const SoundTrack& s, std::uint32_t movie_timescale, const TrackLayout& layout) {
  const auto samples = static_cast<std::uint32_t>(s.samples.size());
  const std::uint32_t movie_duration = MovieDuration(samples, s.rate, movie_timescale);
  b.Begin("trak");
  WriteTrackHeader(b, 2, movie_duration, true, 0, 0);
  b.Begin("mdia");
  WriteMediaHeader(b, s.rate, samples);
  WriteHandler(b, "mhlr", "soun", "SoundHandler");
  b.Begin("minf");
  b.FullBox("smhd", 0);
  b.U16(0);
  b.U16(0);
  b.End();
  WriteDataInfo(b);
  b.Begin("stbl");
  b.FullBox("stsd", 0);
  b.U32(1);
  b.Begin("sowt");
  b.Zeros(6);
  b.U16(1);
  b.U16(0);  // version 0 sound description
  b.U16(0);
  b.U32(0);
  b.U16(1);   // channels
  b.U16(16);  // bits per sample
  b.U16(0);
  b.U16(0);
  b.U32(s.rate << 16);
  b.End();
  b.End();
  b.FullBox("stts", 0);
  b.U32(1);
  b.U32(samples);
  b.U32(1);
  b.End();
  WriteSampleToChunk(b, s.samples_per_chunk);
  b.FullBox("stsz", 0);
  b.U32(1);  // constant size: one sample per unit of the sound description
  b.U32(samples);
  b.End();
  WriteChunkOffsets(b, layout);
  b.End();
  b.End();
  b.End();
  b.End();
}

}  // namespace

SoundTrack PlanSound(std::uint32_t rate, std::uint32_t timescale, std::uint32_t frame_delta, int frame_count) {
  SoundTrack s;
  s.rate = rate;
  int k = 1;
  while (k < 120 && (static_cast<std::uint64_t>(rate) * frame_delta * static_cast<std::uint64_t>(k)) % timescale != 0) ++k;
  s.frames_per_chunk = k;
  s.samples_per_chunk =
      static_cast<std::uint32_t>(static_cast<std::uint64_t>(rate) * frame_delta * static_cast<std::uint64_t>(k) / timescale);
  const int chunks = frame_count / k;
  s.samples.resize(static_cast<std::size_t>(chunks) * s.samples_per_chunk);
  return s;
}

platform::Expected<std::uint64_t> WriteMov(const std::filesystem::path& path, const VideoTrack& video,
                                           const std::optional<SoundTrack>& sound, std::uint64_t padding) {
  using Result = platform::Expected<std::uint64_t>;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return Result::Failure(path.string() + ": " + std::strerror(errno));
  auto fail = [&](const std::string& why) {
    std::fclose(file);
    std::filesystem::remove(path);
    return Result::Failure(path.string() + ": " + why);
  };

  BoxBuffer ftyp;
  ftyp.Begin("ftyp");
  ftyp.Raw("qt  ", 4);
  ftyp.U32(0x20050300);
  ftyp.Raw("qt  ", 4);
  ftyp.End();
  std::uint64_t offset = ftyp.bytes().size() + 8;  // first byte after the mdat header
  if (std::fwrite(ftyp.bytes().data(), 1, ftyp.bytes().size(), file) != ftyp.bytes().size()) return fail("write error");
  const std::uint8_t mdat_placeholder[8] = {0, 0, 0, 0, 'm', 'd', 'a', 't'};
  if (std::fwrite(mdat_placeholder, 1, 8, file) != 8) return fail("write error");

  TrackLayout video_layout, sound_layout;
  std::size_t next_sound_chunk = 0;
  const std::size_t sound_chunks = sound ? sound->samples.size() / std::max<std::uint32_t>(1, sound->samples_per_chunk) : 0;
  std::vector<std::uint8_t> pcm;
  for (std::size_t i = 0; i < video.frames.size(); ++i) {
    const auto& data = video.frames[i].data;
    video_layout.chunk_offsets.push_back(static_cast<std::uint32_t>(offset));
    if (std::fwrite(data.data(), 1, data.size(), file) != data.size()) return fail("write error");
    offset += data.size();
    if (sound && (i + 1) % static_cast<std::size_t>(sound->frames_per_chunk) == 0 && next_sound_chunk < sound_chunks) {
      pcm.clear();
      for (std::uint32_t j = 0; j < sound->samples_per_chunk; ++j) {
        const auto v = static_cast<std::uint16_t>(sound->samples[next_sound_chunk * sound->samples_per_chunk + j]);
        pcm.push_back(static_cast<std::uint8_t>(v));
        pcm.push_back(static_cast<std::uint8_t>(v >> 8));
      }
      sound_layout.chunk_offsets.push_back(static_cast<std::uint32_t>(offset));
      if (std::fwrite(pcm.data(), 1, pcm.size(), file) != pcm.size()) return fail("write error");
      offset += pcm.size();
      ++next_sound_chunk;
    }
  }
  if (padding > 0) {
    if (fseeko(file, static_cast<off_t>(offset + padding), SEEK_SET) != 0) return fail("cannot pad the media data");
    offset += padding;
  }
  const std::uint64_t mdat_size = offset - ftyp.bytes().size();
  if (mdat_size > 0xFFFFFFFFull) return fail("media data larger than 4 GiB");

  BoxBuffer moov;
  moov.Begin("moov");
  moov.FullBox("mvhd", 0);
  moov.U32(0);
  moov.U32(0);
  moov.U32(MovieTimescale(video));
  moov.U32(MovieDuration(std::uint64_t{video.frames.size()} * video.frame_delta, video.timescale, MovieTimescale(video)));
  moov.U32(0x10000);
  moov.U16(0x100);
  moov.Zeros(10);
  moov.Matrix();
  moov.Zeros(24);
  moov.U32(sound ? 3 : 2);
  moov.End();
  WriteVideoTrack(moov, video, video_layout);
  if (sound) WriteSoundTrack(moov, *sound, MovieTimescale(video), sound_layout);
  moov.End();
  if (std::fwrite(moov.bytes().data(), 1, moov.bytes().size(), file) != moov.bytes().size()) return fail("write error");
  const std::uint64_t total = offset + moov.bytes().size();

  std::uint8_t size_bytes[4];
  for (int i = 0; i < 4; ++i) size_bytes[i] = static_cast<std::uint8_t>(mdat_size >> (24 - 8 * i));
  if (fseeko(file, static_cast<off_t>(ftyp.bytes().size()), SEEK_SET) != 0 ||
      std::fwrite(size_bytes, 1, 4, file) != 4) {
    return fail("write error");
  }
  if (std::fclose(file) != 0) {
    std::filesystem::remove(path);
    return Result::Failure(path.string() + ": write error on close");
  }
  return total;
}

}  // namespace samplecard
