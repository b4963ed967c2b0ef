#include "platform/FileMapping.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/ByteOrder.h"
#include "platform/GuardedMemory.h"

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

MappedView::MappedView(void* base, std::size_t mapped, std::size_t slack, std::size_t size, std::uint64_t offset)
    : base_(base),
      mapped_(mapped),
      data_(static_cast<const std::uint8_t*>(base) + slack),
      slack_(slack),
      size_(size),
      file_offset_(offset) {}

MappedView::MappedView(MappedView&& other) noexcept { *this = std::move(other); }

MappedView& MappedView::operator=(MappedView&& other) noexcept {
  if (this != &other) {
    Unmap();
    base_ = other.base_;
    mapped_ = other.mapped_;
    data_ = other.data_;
    slack_ = other.slack_;
    size_ = other.size_;
    file_offset_ = other.file_offset_;
    other.base_ = nullptr;
    other.data_ = nullptr;
    other.mapped_ = other.size_ = other.slack_ = 0;
  }
  return *this;
}

MappedView::~MappedView() { Unmap(); }

void MappedView::Unmap() {
  if (base_ != nullptr) ::munmap(base_, mapped_);
  base_ = nullptr;
  data_ = nullptr;
  mapped_ = size_ = slack_ = 0;
}

bool MappedView::Read(std::size_t offset, void* dst, std::size_t n) const {
  if (data_ == nullptr || offset > size_ || n > size_ - offset) return false;
  return GuardedCopy(dst, data_ + offset, n);
}

bool MappedView::ReadBE32(std::size_t offset, std::uint32_t* value) const {
  std::uint8_t b[4];
  if (!Read(offset, b, 4)) return false;
  *value = LoadBE32(b);
  return true;
}

bool MappedView::ReadBE16(std::size_t offset, std::uint16_t* value) const {
  std::uint8_t b[2];
  if (!Read(offset, b, 2)) return false;
  *value = LoadBE16(b);
  return true;
}

}  // namespace platform
