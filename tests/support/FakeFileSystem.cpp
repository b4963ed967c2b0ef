#include "FakeFileSystem.h"

#include <linux/msdos_fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace testfiles {
namespace {

// A real output file that runs out of space after a number of bytes.
class LimitedOutputFile : public platform::OutputFile {
 public:
  LimitedOutputFile(std::unique_ptr<platform::OutputFile> real, std::uint64_t budget)
      : real_(std::move(real)), budget_(budget) {}
  bool Write(const void* data, std::size_t n) override {
    if (!Take(n)) return false;
    return Pass(real_->Write(data, n));
  }
  bool CopyFrom(int fd, std::uint64_t offset, std::uint64_t length) override {
    if (!Take(length)) return false;
    return Pass(real_->CopyFrom(fd, offset, length));
  }
  bool Finish() override { return Pass(real_->Finish()); }
  void Placed() override { real_->Placed(); }
  std::uint64_t written() const override { return real_->written(); }
  const std::filesystem::path& final_path() const override { return real_->final_path(); }
  const std::filesystem::path& temporary_path() const override { return real_->temporary_path(); }

 private:
  bool Take(std::uint64_t n) {
    if (n > budget_) {
      error_ = "write error: No space left on device";
      return false;
    }
    budget_ -= n;
    return true;
  }
  bool Pass(bool ok) {
    if (!ok) error_ = real_->error();
    return ok;
  }
  std::unique_ptr<platform::OutputFile> real_;
  std::uint64_t budget_;
};

}  // namespace

std::unique_ptr<platform::OutputFile> FakeFileSystem::CreateOutputFile(const std::filesystem::path& final_path,
                                                                       std::string* error) {
  if (outputs_fail || unwritable_outputs.count(final_path)) {
    if (error) *error = final_path.string() + ": cannot create the file: Permission denied";
    return nullptr;
  }
  auto real = platform::FileSystem::CreateOutputFile(final_path, error);
  if (!real || output_budget == UINT64_MAX) return real;
  return std::make_unique<LimitedOutputFile>(std::move(real), output_budget);
}

std::optional<std::vector<platform::DirectoryEntry>> FakeFileSystem::ListDirectory(const std::filesystem::path& folder) {
  if (unlistable.count(folder.lexically_normal())) return std::nullopt;
  auto listing = platform::FileSystem::ListDirectory(folder);
  if (listing && reverse_listings) {
    std::sort(listing->begin(), listing->end(),
              [](const platform::DirectoryEntry& a, const platform::DirectoryEntry& b) { return a.name > b.name; });
  }
  return listing;
}

bool FakeFileSystem::Exists(const std::filesystem::path& path) {
  {
    std::lock_guard guard(device_lock);
    if (vanished.count(path)) return false;
  }
  return platform::FileSystem::Exists(path);
}

std::optional<std::uint64_t> FakeFileSystem::DeviceOf(const std::filesystem::path& path) {
  {
    std::lock_guard guard(device_lock);
    if (vanished.count(path)) return std::nullopt;
    if (const auto it = devices.find(path); it != devices.end()) return it->second;
  }
  return platform::FileSystem::DeviceOf(path);
}

bool FakeFileSystem::Rename(const std::filesystem::path& from, const std::filesystem::path& to) {
  if (unrenamable.count(from) || (rename_fails && rename_fails(from, to))) {
    errno = EIO;
    return false;
  }
  ++renames;
  return platform::FileSystem::Rename(from, to);
}

platform::AttributeResult FakeFileSystem::SetHidden(const std::filesystem::path& path, bool hidden) {
  if (unhideable.count(path)) return platform::AttributeResult::kFailed;
  return platform::FileSystem::SetHidden(path, hidden);
}

bool FakeFileSystem::WriteFileAtomically(const std::filesystem::path& path, const std::string& contents) {
  if (writes_fail) return false;
  return platform::FileSystem::WriteFileAtomically(path, contents);
}

std::filesystem::path FakeFileSystem::MountPointOf(const std::filesystem::path& path) {
  const std::string text = path.lexically_normal().string();
  for (const auto& m : mount_points) {
    const std::string point = m.string();
    if (text == point || text.rfind(point + "/", 0) == 0) return m;
  }
  return platform::FileSystem::MountPointOf(path);
}

std::vector<std::filesystem::path> FakeFileSystem::RemovableVolumes() {
  return use_removable ? removable : platform::FileSystem::RemovableVolumes();
}

platform::Expected<std::optional<std::string>> FakeFileSystem::ReadWholeFile(const std::filesystem::path& path) {
  const auto error = read_errors.find(path);
  if (error != read_errors.end()) {
    return platform::Expected<std::optional<std::string>>::Failure(path.string() + ": cannot be read: " +
                                                                   std::strerror(error->second));
  }
  return platform::FileSystem::ReadWholeFile(path);
}

int FakeFileSystem::AttributeIoctl(int fd, unsigned long request, std::uint32_t* value) {
  if (!fat) return platform::FileSystem::AttributeIoctl(fd, request, value);
  if (failing_ioctls.count(request)) return EIO;
  struct stat st {};
  if (fstat(fd, &st) != 0) return errno;
  std::uint32_t& stored = attributes[{st.st_dev, st.st_ino}];
  if (request == FAT_IOCTL_GET_ATTRIBUTES) {
    *value = stored;
  } else if (request == FAT_IOCTL_SET_ATTRIBUTES) {
    stored = *value;
  } else {
    return ENOTTY;
  }
  return 0;
}

}  // namespace testfiles
