// Prints what the viewer reads from recordings and sensor data files.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "library/RecordingNames.h"
#include "library/SourceScanner.h"
#include "platform/FileSystem.h"
#include "recording/BoxTree.h"
#include "recording/CompanionPath.h"
#include "recording/MappedFileReader.h"
#include "recording/SensorDataFile.h"
#include "recording/VideoTiming.h"

namespace {

void PrintNode(const recording::BoxNode& node) {
  if (node.depth > 0) {
    std::printf("%*s%-4s  offset %llu  size %llu  depth %d%s\n", 2 * (node.depth - 1), "", node.type,
                static_cast<unsigned long long>(node.payload_offset - 8),
                static_cast<unsigned long long>(node.payload_size + 8), node.depth,
                node.has_raw_payload ? (node.loaded_size ? "  (leaf)" : "  (leaf, not loaded)") : "");
  }
  for (const auto& child : node.children) PrintNode(child);
}

std::string Time(const platform::SystemTime& t) {
  char s[64];
  std::snprintf(s, sizeof s, "%04u-%02u-%02u %02u:%02u:%02u", t.year, t.month, t.day, t.hour, t.minute, t.second);
  return s;
}

const char* EventName(int event) {
  switch (event) {
    case 5: return "user mark";
    case 6: return "emergency recording";
    case 7: return "parking monitoring";
    case 11: return "drive assist H";
    case 12: return "drive assist A";
    case 13: return "drive assist B";
    default: return "event";
  }
}

bool PrintData(const std::filesystem::path& path) {
  recording::SensorDataFile data;
  if (!data.Load(path)) {
    std::fprintf(stderr, "brennovale-info: %s\n", data.last_error().c_str());
    return false;
  }
  const auto& h = data.header();
  std::printf("sensor data %s\n", path.string().c_str());
  std::printf("  header: thresholds %.3f %.3f %.3f %.3f, mode '%c', firmware %.6s, quality '%c', rate '%c' (%.3f ms)\n",
              h.a, h.b, h.c, h.d, h.mode ? h.mode : ' ', h.version.data(), h.quality ? h.quality : ' ',
              h.rate ? h.rate : ' ', data.record_period());
  std::printf("  records: %zu\n", data.gps().size());
  if (data.gps().empty()) return true;
  const auto& first = data.gps().front();
  const auto& last = data.gps().back();
  std::printf("  first fix: %s  %.6f %.6f  %s\n", Time(first.date_time).c_str(), first.latitude, first.longitude,
              first.fix_valid ? "valid" : "no fix");
  std::printf("  last fix:  %s  %.6f %.6f  %s\n", Time(last.date_time).c_str(), last.latitude, last.longitude,
              last.fix_valid ? "valid" : "no fix");
  double lo = first.speed, hi = first.speed, g = 0.0;
  for (const auto& s : data.gps()) {
    lo = std::min(lo, s.speed);
    hi = std::max(hi, s.speed);
  }
  for (const auto& a : data.accel()) g = std::max({g, std::fabs(a.x), std::fabs(a.y), std::fabs(a.z)});
  std::printf("  speed: %.0f to %.0f km/h\n  largest |G|: %.3f\n", lo, hi, g);
  for (const auto& a : data.accel()) {
    if (a.event >= 0 || a.axis != 0 || a.flag != 0) {
      std::printf("  record %d at %d ms: %s%s%s  x %.3f y %.3f z %.3f\n", a.index, a.time,
                  a.event >= 0 ? EventName(a.event) : "", a.axis ? " axis " : "",
                  a.axis ? std::string(1, "?XYZ"[a.axis]).c_str() : "", a.x, a.y, a.z);
    }
  }
  return true;
}

bool PrintVideo(const std::filesystem::path& path) {
  auto tree = recording::BoxTree::Open(path, false);
  if (!tree) {
    std::fprintf(stderr, "brennovale-info: %s\n", tree.error().c_str());
    return false;
  }
  std::printf("recording %s (%llu bytes)\n", path.string().c_str(),
              static_cast<unsigned long long>((*tree)->file_size()));
  PrintNode((*tree)->root());
  // Everything below is the video track's, as the player reads it.
  const auto timing = recording::VideoTiming::FromTree(**tree);
  if (!timing) {
    std::fprintf(stderr, "brennovale-info: %s\n", timing.error().c_str());
    return false;
  }
  const auto size = (*tree)->GetFrameSize();
  std::printf("  frame size %dx%d, frame count %d, frame rate %.3f fps (%u/%u)\n", size.width, size.height,
              timing->frame_count(), timing->frame_rate(), timing->timescale(), timing->delta());
  std::printf("  duration %.3f s, frame duration %.3f ms\n", timing->duration_seconds(), timing->frame_duration_ms());
  const auto data = recording::DataPath(path);
  if (recording::IsDataFile(data)) return PrintData(data);
  return true;
}

void PrintEntries(const library::SourceScanner& scanner, int indent) {
  for (const auto& e : scanner.entries()) {
    const auto t = library::TimeOfName(e.name);
    const std::string trigger(library::TriggerText(e.name));
    std::printf("%*s%s  %s  %s  front %llu, rear %llu, data %llu bytes\n", indent, "", e.name.c_str(),
                trigger.empty() ? "-" : trigger.c_str(), Time(t).c_str(), static_cast<unsigned long long>(e.main_size),
                static_cast<unsigned long long>(e.sub_size), static_cast<unsigned long long>(e.data_size));
  }
}

void PrintItem(library::SourceScanner& scanner, library::TreeItem* item, int depth) {
  const std::size_t n = scanner.SelectItem(item);
  std::printf("%*s%s%s  (triggers 0x%02x, %zu recordings)\n", 2 * depth, "", item->text.c_str(),
              library::IsGroupName(item->text) ? "  group" : "", static_cast<unsigned>(item->data), n);
  PrintEntries(scanner, 2 * depth + 4);
  for (const auto& child : item->children) PrintItem(scanner, child.get(), depth + 1);
}

int Scan(const std::filesystem::path& given_path) {
  library::SourceScanner scanner(nullptr);
  const std::filesystem::path path = library::NormalizeSourcePath(given_path);
  const library::SourceKind kind = library::DetectSourceKind(path);
  if (kind == library::SourceKind::kNone) {
    std::fprintf(stderr, "brennovale-info: %s: neither a folder nor a recording\n", path.string().c_str());
    return 1;
  }
  static const char* kKinds[] = {"none", "SD card", "folder", "single file"};
  scanner.OpenSource(path, kind);
  std::printf("source %s: %s\n", path.string().c_str(), kKinds[static_cast<int>(kind)]);
  if (kind == library::SourceKind::kCard) {
    std::printf("firmware version: %s\n", scanner.firmware_version().empty() ? "-" : scanner.firmware_version().c_str());
  }
  if (kind == library::SourceKind::kFile) {
    PrintEntries(scanner, 2);
  } else {
    std::vector<library::TreeItem*> top;
    for (const auto& item : scanner.tree().top()) top.push_back(item.get());
    for (library::TreeItem* item : top) PrintItem(scanner, item, 1);
  }
  std::printf("all recordings: %zu\n", scanner.CollectAllRecordings().size());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: brennovale-info FILE...\n       brennovale-info --scan PATH\n");
    return 2;
  }
  if (std::string_view(argv[1]) == "--scan") {
    if (argc != 3) {
      std::fprintf(stderr, "usage: brennovale-info --scan PATH\n");
      return 2;
    }
    return Scan(argv[2]);
  }
  int status = 0;
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path path = argv[i];
    bool ok;
    if (recording::IsRecording(path)) {
      ok = PrintVideo(path);
    } else if (recording::IsDataFile(path)) {
      ok = PrintData(path);
    } else {
      std::error_code ec;
      if (!std::filesystem::exists(path, ec)) {
        std::fprintf(stderr, "brennovale-info: %s: no such file\n", path.string().c_str());
      } else if (std::filesystem::is_directory(path, ec)) {
        std::fprintf(stderr, "brennovale-info: %s: is a folder, not a file\n", path.string().c_str());
      } else {
        std::fprintf(stderr, "brennovale-info: %s: neither a recording nor a sensor data file\n", path.string().c_str());
      }
      ok = false;
    }
    if (!ok) status = 1;
  }
  return status;
}
