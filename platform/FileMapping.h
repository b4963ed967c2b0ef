#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/Expected.h"

namespace platform {

class MappedView;

// A file opened read-only for mapping. Views are mapped at offsets rounded
// down to the page size (the allocation granularity here); a view's data()
// points at the requested offset and its size() is cut at the end of the file.
class FileMapping {
 public:
  static Expected<std::shared_ptr<FileMapping>> Open(const std::filesystem::path& path);
  ~FileMapping();
  FileMapping(const FileMapping&) = delete;
  FileMapping& operator=(const FileMapping&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::uint64_t size() const { return size_; }
  // The descriptor, for copying bytes with read calls instead of mappings.
  int fd() const { return fd_; }

  // Maps [offset, offset + length) cut at the end of the file. An offset at
  // or past the end gives an empty, invalid view; a failed mmap likewise, with
  // the reason in error.
  MappedView Map(std::uint64_t offset, std::uint64_t length, std::string* error = nullptr) const;

  static std::uint64_t Granularity();

 private:
  FileMapping(std::filesystem::path path, int fd, std::uint64_t size);
  std::filesystem::path path_;
  int fd_ = -1;
  std::uint64_t size_ = 0;
};

class MappedView {
 public:
  MappedView() = default;
  MappedView(MappedView&& other) noexcept;
  MappedView& operator=(MappedView&& other) noexcept;
  MappedView(const MappedView&) = delete;
  MappedView& operator=(const MappedView&) = delete;
  ~MappedView();

  bool valid() const { return data_ != nullptr; }
  const std::uint8_t* data() const { return data_; }
  std::size_t size() const { return size_; }
  std::uint64_t file_offset() const { return file_offset_; }
  // Bytes between the page-aligned start of the mapping and data().
  std::size_t slack() const { return slack_; }

  // Copies n bytes at offset within the view. False when the range is not
  // inside the view or the file faulted under the read (truncated, medium gone).
  bool Read(std::size_t offset, void* dst, std::size_t n) const;
  bool ReadBE32(std::size_t offset, std::uint32_t* value) const;
  bool ReadBE16(std::size_t offset, std::uint16_t* value) const;

  void Unmap();

 private:
  friend class FileMapping;
  MappedView(void* base, std::size_t mapped, std::size_t slack, std::size_t size, std::uint64_t offset);
  void* base_ = nullptr;
  std::size_t mapped_ = 0;
  const std::uint8_t* data_ = nullptr;
  std::size_t slack_ = 0;
  std::size_t size_ = 0;
  std::uint64_t file_offset_ = 0;
};

}  // namespace platform
