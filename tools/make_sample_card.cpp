// Writes a synthetic SD card of the recorder's shape for tests, benchmarks
// and the demo.
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "tools/samplecard/SampleCard.h"

namespace {

void Usage() {
  std::fprintf(stderr,
               "usage: make-sample-card OUT_DIR [--recordings N] [--seconds S] [--size WxH] [--fps F]\n"
               "                        [--sub-fps F] [--gop FRAMES] [--seed K] [--sensor-hz 10|15]\n"
               "                        [--no-sound] [--pad-mdat BYTES] [--fill-mdat BYTES]\n"
               "                        [--movie-timescale T] [--no-fix FIRST_RECORD,COUNT]\n");
}

template <typename T>
bool Parse(std::string_view text, T* value) {
  const char* end = text.data() + text.size();
  auto result = std::from_chars(text.data(), end, *value);
  return result.ec == std::errc() && result.ptr == end;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argv[1][0] == '-') {
    Usage();
    return 2;
  }
  samplecard::CardOptions options;
  for (int i = 2; i < argc; ++i) {
    const std::string_view flag = argv[i];
    if (flag == "--no-sound") {
      options.sound = false;
      continue;
    }
    if (i + 1 >= argc) {
      Usage();
      return 2;
    }
    const std::string_view value = argv[++i];
    bool ok = false;
    if (flag == "--recordings") {
      ok = Parse(value, &options.recordings);
    } else if (flag == "--seconds") {
      ok = Parse(value, &options.seconds);
    } else if (flag == "--fps") {
      ok = Parse(value, &options.fps);
    } else if (flag == "--sub-fps") {
      ok = Parse(value, &options.sub_fps);
    } else if (flag == "--gop") {
      ok = Parse(value, &options.gop);
    } else if (flag == "--seed") {
      ok = Parse(value, &options.seed);
    } else if (flag == "--sensor-hz") {
      ok = Parse(value, &options.sensor_hz);
    } else if (flag == "--pad-mdat") {
      ok = Parse(value, &options.pad_mdat);
    } else if (flag == "--fill-mdat") {
      ok = Parse(value, &options.fill_mdat);
    } else if (flag == "--movie-timescale") {
      ok = Parse(value, &options.movie_timescale);
    } else if (flag == "--no-fix") {
      const std::size_t comma = value.find(',');
      ok = comma != std::string_view::npos && Parse(value.substr(0, comma), &options.no_fix_from) &&
           Parse(value.substr(comma + 1), &options.no_fix_records) && options.no_fix_from >= 0 &&
           options.no_fix_records >= 0;
    } else if (flag == "--size") {
      const std::size_t x = value.find('x');
      ok = x != std::string_view::npos && Parse(value.substr(0, x), &options.width) &&
           Parse(value.substr(x + 1), &options.height);
    }
    if (!ok) {
      std::fprintf(stderr, "make-sample-card: bad value for %s: %.*s\n", argv[i - 1], static_cast<int>(value.size()),
                   value.data());
      return 2;
    }
  }
  auto card = samplecard::WriteSampleCard(argv[1], options);
  if (!card) {
    std::fprintf(stderr, "make-sample-card: %s\n", card.error().c_str());
    return 1;
  }
  for (const auto& rec : *card) {
    std::printf("%s  %d front frames, %d rear frames, %d sensor records\n", rec.main_path.string().c_str(),
                rec.main_frames, rec.sub_frames, rec.records);
  }
  return 0;
}
