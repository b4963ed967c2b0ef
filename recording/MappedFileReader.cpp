#include "recording/MappedFileReader.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/ByteOrder.h"
#include "platform/NamedMutexLock.h"
#include "recording/VideoTiming.h"

namespace recording {
namespace {

constexpr std::uint64_t kPatternWindow = 0x2000000;  // 32 MiB, mapped with 4 bytes of overlap
constexpr std::uint64_t kHandlerView = 0x100000;     // 1 MiB
constexpr std::size_t kScanChunk = 64 * 1024;
constexpr std::string_view kStblPath[] = {"moov", "trak", "mdia", "minf", "stbl", "stts"};

}  // namespace

ScanTarget ScanTarget::ForKey(std::string_view key, LocateHandler handler) {
  ScanTarget target;
  target.key_length = static_cast<std::int32_t>(std::min(key.size(), target.key.size()));
  std::memcpy(target.key.data(), key.data(), static_cast<std::size_t>(target.key_length));
  target.handler = std::move(handler);
  return target;
}

MappedFileReader::MappedFileReader() : find_mutex_(platform::NamedMutex::Create("hMutexFind")) {}

MappedFileReader::~MappedFileReader() {
  // Wait for a locate run that is still going on another thread.
  platform::NamedMutexLock lock(*find_mutex_);
  Close();
}

bool MappedFileReader::Open(const std::filesystem::path& path) {
  Close();
  auto mapping = platform::FileMapping::Open(path);
  if (!mapping) return Fail(mapping.error());
  mapping_ = mapping.take();
  path_ = path;
  size_ = mapping_->size();
  granularity_ = platform::FileMapping::Granularity();
  return true;
}

void MappedFileReader::Close() {
  mapping_.reset();
  size_ = 0;
  views_mapped_ = 0;
  records_found_ = 0;
}

bool MappedFileReader::Fail(std::string why) {
  last_error_ = std::move(why);
  return false;
}

platform::MappedView MappedFileReader::MapView(std::uint64_t offset, std::uint64_t length) {
  std::string error;
  platform::MappedView view = mapping_->Map(offset, length, &error);
  if (view.valid()) {
    ++views_mapped_;
  } else if (!error.empty()) {
    last_error_ = error;
  }
  return view;
}

bool MappedFileReader::LocateByPattern(ScanTarget& target) {
  if (!mapping_) return Fail("no file is open");
  platform::NamedMutexLock lock(*find_mutex_);
  if (target.key_length <= 0) return Fail("empty search key");

  // Bytes are examined from small copies of the current window, so that a
  // file that shrinks under the scan gives a read error, not a crash.
  std::vector<std::uint8_t> chunk(kScanChunk);
  std::uint64_t chunk_start = 0;
  std::size_t chunk_length = 0;
  platform::MappedView window;

  auto refill = [&](std::uint64_t from) {
    const std::uint64_t need_end = std::min(from + 8, size_);
    if (!window.valid() || from < window.file_offset() || need_end > window.file_offset() + window.size()) {
      std::uint64_t start = from - from % kPatternWindow;
      if (need_end > start + kPatternWindow + 4) start = from;
      window.Unmap();
      window = MapView(start, kPatternWindow + 4);
      if (!window.valid()) return Fail(path_.string() + ": cannot map the file: " + last_error_);
    }
    const std::size_t offset = static_cast<std::size_t>(from - window.file_offset());
    chunk_length = std::min(kScanChunk, window.size() - offset);
    if (!window.Read(offset, chunk.data(), chunk_length)) {
      return Fail(path_.string() + ": read error (file truncated or medium removed)");
    }
    chunk_start = from;
    return true;
  };

  std::uint64_t p = target.base;
  while (p < size_) {
    if (cancel_.load(std::memory_order_relaxed) && TakeCancel()) return Fail("search cancelled");
    const std::uint64_t need_begin = p >= 4 ? p - 4 : 0;
    const std::uint64_t need_end = std::min(p + 4, size_);
    if (chunk_length == 0 || need_begin < chunk_start || need_end > chunk_start + chunk_length) {
      if (!refill(need_begin)) return false;
    }
    const std::uint8_t* at = chunk.data() + (p - chunk_start);
    if (p >= 4 && p + 4 <= size_ && std::memcmp(at, "mdat", 4) == 0) {
      const std::uint32_t mdat_size = platform::LoadBE32(at - 4);
      if (mdat_size == 0 || mdat_size >= size_) {
        return Fail(path_.string() + ": mdat box with an invalid size");
      }
      // Continue 4 bytes past the end of the mdat box; the match goes on.
      p += mdat_size;
      continue;
    }
    const std::uint8_t byte = *at;
    if (byte == target.key[static_cast<std::size_t>(target.match)]) {
      ++target.match;
    } else {
      target.match = byte == target.key[0] ? 1 : 0;
    }
    if (target.match == target.key_length) {
      target.match = 0;
      window.Unmap();
      platform::MappedView view = MapView(p + 1, kHandlerView);
      if (!view.valid()) {
        return Fail(path_.string() + ": the file is cut short after '" +
                    std::string(reinterpret_cast<const char*>(target.key.data()), static_cast<std::size_t>(target.key_length)) + "'");
      }
      const bool ok = target.handler && target.handler(LocatedBytes{view, 0});
      if (ok) ++records_found_;
      return ok;
    }
    ++p;
  }
  return true;
}

bool MappedFileReader::LocateByPath(ScanTarget& target) {
  if (!mapping_) return Fail("no file is open");
  platform::NamedMutexLock lock(*find_mutex_);
  std::uint64_t position = target.base;
  std::size_t element = 0;
  while (position < size_) {
    if (cancel_.load(std::memory_order_relaxed) && TakeCancel()) return Fail("search cancelled");
    platform::MappedView view = MapView(position, 12);
    if (!view.valid()) return Fail(path_.string() + ": cannot map the file: " + last_error_);
    std::uint8_t head[8];
    if (view.size() < 8) return true;  // trailing bytes too short for a box
    if (!view.Read(0, head, 8)) return Fail(path_.string() + ": read error (file truncated or medium removed)");
    const std::uint32_t size = platform::LoadBE32(head);
    if (std::memcmp(head + 4, kStblPath[element].data(), 4) == 0) {
      if (element + 1 == std::size(kStblPath)) {
        view.Unmap();
        platform::MappedView box = MapView(position, kHandlerView);
        const bool ok = box.valid() && target.handler && target.handler(LocatedBytes{box, 8});
        if (ok) ++records_found_;
        return ok;
      }
      position += 8;
      ++element;
      continue;
    }
    if (size == 0) return Fail(path_.string() + ": box of size 0 on the way to stts");
    if (size < 8) return Fail(path_.string() + ": box smaller than its header on the way to stts");
    position += size;
  }
  return true;
}

platform::Expected<RecordingTiming> ReadRecordingTiming(const std::filesystem::path& path) {
  const auto video = VideoTiming::Read(path);
  if (!video) return platform::Expected<RecordingTiming>::Failure(video.error());
  return RecordingTiming{static_cast<float>(video->duration_seconds()), static_cast<float>(video->frame_duration_ms())};
}

bool IsRecording(const std::filesystem::path& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  // One read of the first 260 bytes: an empty or shorter file is no recording.
  std::uint8_t head[260];
  std::size_t got = 0;
  while (got < sizeof head) {
    const ssize_t n = ::pread(fd, head + got, sizeof head - got, static_cast<off_t>(got));
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  ::close(fd);
  return got == sizeof head && std::memcmp(head + 4, "ftyp", 4) == 0;
}

}  // namespace recording
