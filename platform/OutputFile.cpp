#include "platform/OutputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/OutputSet.h"

namespace platform {
namespace {

constexpr std::size_t kCopyBuffer = 1 << 20;

// A write past the file-size limit (ulimit -f) raises SIGXFSZ, whose default
// action ends the process and leaves the temporary file behind. Ignored, the
// write fails with EFBIG and the failure is reported like a full disk. A
// handler the program installed itself is left alone; asked on every call,
// so that a child process that restored the default gets it ignored again.
void IgnoreFileSizeSignal() {
  struct sigaction current {};
  if (::sigaction(SIGXFSZ, nullptr, &current) != 0 || current.sa_handler != SIG_DFL) return;
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  ::sigaction(SIGXFSZ, &ignore, nullptr);
}

class TemporaryOutputFile : public OutputFile {
 public:
  TemporaryOutputFile(std::filesystem::path final_path, std::filesystem::path temp_path, int fd)
      : final_(std::move(final_path)), temp_(std::move(temp_path)), fd_(fd) {}

  ~TemporaryOutputFile() override {
    if (fd_ >= 0) ::close(fd_);
    if (!placed_) ::unlink(temp_.c_str());
  }

  bool Write(const void* data, std::size_t n) override {
    if (fd_ < 0) return Fail("write error: the file is already closed", 0);
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
    if (fd_ < 0) return Fail("write error: the file is already closed", 0);
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

  bool Finish() override {
    if (fd_ < 0) return finished_ || Fail("cannot flush the file: it failed before", 0);
    if (::fchmod(fd_, 0644) != 0 || ::fsync(fd_) != 0) return Fail("cannot flush the file", errno);
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) return Fail("cannot close the file", errno);
    finished_ = true;
    return true;
  }

  void Placed() override { placed_ = true; }
  std::uint64_t written() const override { return written_; }
  const std::filesystem::path& final_path() const override { return final_; }
  const std::filesystem::path& temporary_path() const override { return temp_; }

 private:
  bool Fail(const char* what, int err) {
    error_ = final_.string() + ": " + what + (err != 0 ? std::string(": ") + std::strerror(err) : std::string());
    return false;
  }

  std::filesystem::path final_;
  std::filesystem::path temp_;
  int fd_;
  bool finished_ = false;
  bool placed_ = false;
  bool kernel_copy_ = true;
  std::uint64_t written_ = 0;
};

}  // namespace

bool OutputFile::Commit() {
  OutputSet set;
  set.Add(*this);
  if (set.Commit()) return true;
  error_ = set.error();
  return false;
}

std::unique_ptr<OutputFile> FileSystem::CreateOutputFile(const std::filesystem::path& final_path, std::string* error) {
  IgnoreFileSizeSignal();
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
