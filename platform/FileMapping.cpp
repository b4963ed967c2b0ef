#include "platform/FileMapping.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform {

FileMapping::FileMapping(std::filesystem::path path, int fd, std::uint64_t size)
    : path_(std::move(path)), fd_(fd), size_(size) {}

FileMapping::~FileMapping() {
  if (fd_ >= 0) ::close(fd_);
}

Expected<std::shared_ptr<FileMapping>> FileMapping::Open(const std::filesystem::path& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    return Expected<std::shared_ptr<FileMapping>>::Failure(path.string() + ": " + std::strerror(errno));
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    const int err = errno;
    ::close(fd);
    return Expected<std::shared_ptr<FileMapping>>::Failure(path.string() + ": " + std::strerror(err));
  }
  if (!S_ISREG(st.st_mode)) {
    ::close(fd);
    return Expected<std::shared_ptr<FileMapping>>::Failure(
        path.string() + (S_ISDIR(st.st_mode) ? ": is a folder, not a file" : ": not a regular file"));
  }
  if (st.st_size == 0) {
    // An empty file cannot be mapped.
    ::close(fd);
    return Expected<std::shared_ptr<FileMapping>>::Failure(path.string() + ": the file is empty");
  }
  return std::shared_ptr<FileMapping>(new FileMapping(path, fd, static_cast<std::uint64_t>(st.st_size)));
}

std::uint64_t FileMapping::Granularity() {
  static const std::uint64_t page = static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
  return page;
}

MappedView FileMapping::Map(std::uint64_t offset, std::uint64_t length, std::string* error) const {
  if (offset >= size_ || length == 0) return {};
  const std::uint64_t available = size_ - offset;
  if (length > available) length = available;
  const std::uint64_t granularity = Granularity();
  const std::uint64_t aligned = offset - offset % granularity;
  const std::size_t slack = static_cast<std::size_t>(offset - aligned);
  const std::size_t mapped = static_cast<std::size_t>(length) + slack;
  void* base = ::mmap(nullptr, mapped, PROT_READ, MAP_SHARED, fd_, static_cast<off_t>(aligned));
  if (base == MAP_FAILED) {
    if (error) *error = path_.string() + ": cannot map the file: " + std::strerror(errno);
    return {};
  }
  return MappedView(base, mapped, slack, static_cast<std::size_t>(length), offset);
}

}  // namespace platform
