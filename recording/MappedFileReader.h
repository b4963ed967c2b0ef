#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "platform/FileMapping.h"
#include "platform/NamedMutex.h"

namespace recording {

// What a handler of a locate run sees: a mapped view and the offset in it of
// the first byte after the match (pattern) or of the box payload (path).
struct LocatedBytes {
  const platform::MappedView& view;
  std::size_t start;

  bool ReadBE32(std::size_t offset, std::uint32_t* value) const { return view.ReadBE32(start + offset, value); }
  bool Read(std::size_t offset, void* dst, std::size_t n) const { return view.Read(start + offset, dst, n); }
  std::size_t available() const { return view.size() - start; }
};

using LocateHandler = std::function<bool(const LocatedBytes&)>;

// What a locator searches for.
struct ScanTarget {
  std::int32_t match = 0;  // bytes of the key matched so far
  std::int32_t key_length = 0;
  std::array<std::uint8_t, 16> key{};
  LocateHandler handler;
  std::uint64_t base = 0;  // where the search region begins

  static ScanTarget ForKey(std::string_view key, LocateHandler handler);
};

// Read-only mapped access to one file for the two box locators. Every locate
// run of the process is serialised by the shared "hMutexFind" mutex and can
// be abandoned from another thread with Cancel().
class MappedFileReader {
 public:
  MappedFileReader();
  ~MappedFileReader();
  MappedFileReader(const MappedFileReader&) = delete;
  MappedFileReader& operator=(const MappedFileReader&) = delete;

  bool Open(const std::filesystem::path& path);
  void Close();
  bool is_open() const { return mapping_ != nullptr; }

  // Finds the first occurrence of the key outside mdat payloads and calls the
  // handler with a 1 MiB view that starts right after it. True without a
  // call when the key is not in the file.
  bool LocateByPattern(ScanTarget& target);
  // Follows moov/trak/mdia/minf/stbl/stts (the first trak) and calls the
  // handler with a 1 MiB view at the stts payload.
  bool LocateByPath(ScanTarget& target);

  void Cancel() { cancel_.store(true); }

  const std::filesystem::path& path() const { return path_; }
  std::uint64_t size() const { return size_; }
  std::uint64_t granularity() const { return granularity_; }
  int views_mapped() const { return views_mapped_; }
  int records_found() const { return records_found_; }
  const std::string& last_error() const { return last_error_; }
  const std::shared_ptr<platform::FileMapping>& mapping() const { return mapping_; }
  platform::NamedMutex& find_mutex() { return *find_mutex_; }
  // Checks and clears the cancel flag.
  bool TakeCancel() { return cancel_.exchange(false); }

  platform::MappedView MapView(std::uint64_t offset, std::uint64_t length);

 private:
  bool Fail(std::string why);

  std::filesystem::path path_;
  std::shared_ptr<platform::FileMapping> mapping_;
  std::uint64_t size_ = 0;
  std::uint64_t granularity_ = 0;
  int views_mapped_ = 0;
  int records_found_ = 0;
  std::atomic<bool> cancel_{false};
  std::shared_ptr<platform::NamedMutex> find_mutex_;
  std::string last_error_;
};

// Duration and frame duration of a recording, read before its playback opens.
struct RecordingTiming {
  float duration_seconds = 0.0f;
  float frame_duration_ms = 0.0f;
};

// The movie's duration (mvhd) and the video track's frame duration, as
// VideoTiming reads them; fails with its reason.
platform::Expected<RecordingTiming> ReadRecordingTiming(const std::filesystem::path& path);

// True when the file has at least 260 bytes and "ftyp" at offset 4.
bool IsRecording(const std::filesystem::path& path);

}  // namespace recording
