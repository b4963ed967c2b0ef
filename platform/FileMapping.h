#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/Expected.h"
#include "platform/MappedView.h"

namespace platform {

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

}  // namespace platform
