#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/FileSystem.h"

namespace platform {
namespace {

constexpr std::size_t kCopyBuffer = 1 << 20;

class TemporaryOutputFile : public OutputFile {
 public:
  TemporaryOutputFile(std::filesystem::path final_path, std::string temp_path, int fd)
      : final_(std::move(final_path)), temp_(std::move(temp_path)), fd_(fd) {}

  ~TemporaryOutputFile() override {
    if (fd_ >= 0) ::close(fd_);
    if (!committed_) ::unlink(temp_.c_str());
  }

  bool Write(const void* data, std::size_t n) override {
    const auto* p = static_cast<const std::uint8_t*>(data);
    while (n > 0) {
      const ssize_t done = ::write(fd_, p, n);
      if (done < 0 && errno == EINTR) continue;
      if (done <= 0) return Fail("write error", done < 0 ? errno : ENOSPC);
      p += done;
      n -= static_cast<std::size_t>(done);
      written_ += static_cast<std::uint64_t>(done);
    }
    return true;
  }

  bool CopyFrom(int source_fd, std::uint64_t offset, std::uint64_t length) override {
    auto source_offset = static_cast<off64_t>(offset);
    while (length > 0 && kernel_copy_) {
      const ssize_t done = ::copy_file_range(source_fd, &source_offset, fd_, nullptr, length, 0);
      if (done < 0 && errno == EINTR) continue;
      if (done < 0 && (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP || errno == EBADF)) {
        kernel_copy_ = false;  // not between these files: fall back to plain reads and writes
        break;
      }
      if (done < 0) return Fail("copy error", errno);
      if (done == 0) return Fail("the source file ended early (truncated or medium removed)", 0);
      length -= static_cast<std::uint64_t>(done);
      written_ += static_cast<std::uint64_t>(done);
    }
    if (length == 0) return true;
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(std::min<std::uint64_t>(kCopyBuffer, length)));
    while (length > 0) {
      const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), length));
      const ssize_t got = ::pread(source_fd, buffer.data(), want, source_offset);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) return Fail("read error", errno);
      if (got == 0) return Fail("the source file ended early (truncated or medium removed)", 0);
      if (!Write(buffer.data(), static_cast<std::size_t>(got))) return false;
      source_offset += got;
      length -= static_cast<std::uint64_t>(got);
    }
    return true;
  }

  bool Commit() override {
    if (committed_) return true;
    if (::fchmod(fd_, 0644) != 0 || ::fsync(fd_) != 0) return Fail("cannot flush the file", errno);
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) return Fail("cannot close the file", errno);
    if (::rename(temp_.c_str(), final_.c_str()) != 0) return Fail("cannot put the file in place", errno);
    committed_ = true;
    const std::filesystem::path folder = final_.has_parent_path() ? final_.parent_path() : ".";
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
      ::fsync(dir);
      ::close(dir);
    }
    return true;
  }

  std::uint64_t written() const override { return written_; }

 private:
  bool Fail(const char* what, int err) {
    error_ = final_.string() + ": " + what + (err != 0 ? std::string(": ") + std::strerror(err) : std::string());
    return false;
  }

  std::filesystem::path final_;
  std::string temp_;
  int fd_;
  bool committed_ = false;
  bool kernel_copy_ = true;
  std::uint64_t written_ = 0;
};

}  // namespace

std::unique_ptr<OutputFile> FileSystem::CreateOutputFile(const std::filesystem::path& final_path, std::string* error) {
  const std::filesystem::path folder = final_path.has_parent_path() ? final_path.parent_path() : ".";
  std::string temp = (folder / ("." + final_path.filename().string() + ".part-XXXXXX")).string();
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) {
    if (error) *error = final_path.string() + ": cannot create the file: " + std::strerror(errno);
    return nullptr;
  }
  return std::make_unique<TemporaryOutputFile>(final_path, temp, fd);
}

}  // namespace platform
