#include "TestFiles.h"

#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
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

Bytes MiniRecording(std::uint32_t timescale, std::uint32_t duration, std::uint32_t frames, std::uint32_t delta,
                    const Bytes& media) {
  const Bytes mvhd = Box("mvhd", Concat({Zeros(12), BE32(timescale), BE32(duration), Zeros(80)}));
  const Bytes stts = Box("stts", Concat({Zeros(4), BE32(1), BE32(frames), BE32(delta)}));
  const Bytes stbl = Box("stbl", stts);
  const Bytes trak = Box("trak", Box("mdia", Box("minf", stbl)));
  return Concat({Box("ftyp", Concat({Text("qt  "), Zeros(4), Text("qt  ")})), Box("mdat", media),
                 Box("moov", Concat({mvhd, trak})), Box("free", Zeros(300))});
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

}  // namespace testfiles
