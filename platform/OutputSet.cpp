#include "platform/OutputSet.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <set>

#include "platform/FileSystem.h"
#include "platform/OutputFile.h"

namespace platform {
namespace {

std::filesystem::path FolderOf(const std::filesystem::path& path) {
  return path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
}

bool Present(const std::filesystem::path& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

// Why the last call failed, when it said.
std::string Reason(int err) { return err != 0 ? std::string(": ") + std::strerror(err) : std::string(); }

void SyncFolder(const std::filesystem::path& folder) {
  const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
}

}  // namespace

void OutputSet::Add(OutputFile& file) { files_.push_back(&file); }

void OutputSet::Remove(const std::filesystem::path& path) { removals_.push_back(path); }

bool OutputSet::Fail(std::string why) {
  error_ = std::move(why);
  return false;
}

bool OutputSet::MoveAside(Target& target) {
  if (!Present(target.path)) return true;
  // A placeholder reserves a unique name; the rename replaces it.
  std::string backup = (FolderOf(target.path) / ("." + target.path.filename().string() + ".old-XXXXXX")).string();
  const int fd = ::mkstemp(backup.data());
  if (fd < 0) return Fail(target.path.string() + ": cannot make room to keep the earlier file" + Reason(errno));
  ::close(fd);
  errno = 0;
  if (!Fs().Rename(target.path, backup)) {
    const int err = errno;
    ::unlink(backup.c_str());
    return Fail(target.path.string() + ": cannot move the earlier file aside" + Reason(err));
  }
  target.backup = backup;
  return true;
}

// Renames every backup to its name again; says where one had to stay.
std::string OutputSet::PutBack() {
  std::string note;
  for (auto it = targets_.rbegin(); it != targets_.rend(); ++it) {
    if (it->backup.empty()) continue;
    if (Fs().Rename(it->backup, it->path)) {
      it->backup.clear();
    } else {
      note += "; the earlier file is kept as " + it->backup.string();
    }
  }
  return note;
}

bool OutputSet::Commit() {
  error_.clear();
  for (OutputFile* f : files_) {
    if (!f->Finish()) return Fail(f->error());
  }
  targets_.clear();
  for (OutputFile* f : files_) targets_.push_back({f->final_path(), {}});
  for (const auto& r : removals_) targets_.push_back({r, {}});
  // One rename over the old file is already all or nothing.
  const bool direct = files_.size() == 1 && removals_.empty();
  if (!direct) {
    for (Target& t : targets_) {
      if (!MoveAside(t)) {
        error_ += PutBack();
        return false;
      }
    }
  }
  for (std::size_t i = 0; i < files_.size(); ++i) {
    errno = 0;
    if (!Fs().Rename(files_[i]->temporary_path(), files_[i]->final_path())) {
      const std::string why = files_[i]->final_path().string() + ": cannot put the file in place" + Reason(errno);
      // The new files placed so far go; their names held nothing else, as
      // the earlier files were moved aside.
      for (std::size_t j = 0; j < i; ++j) ::unlink(files_[j]->final_path().c_str());
      return Fail(why + PutBack());
    }
  }
  std::set<std::filesystem::path> folders;
  for (OutputFile* f : files_) {
    f->Placed();
    folders.insert(FolderOf(f->final_path()));
  }
  for (Target& t : targets_) {
    if (!t.backup.empty()) ::unlink(t.backup.c_str());
    folders.insert(FolderOf(t.path));
  }
  for (const auto& folder : folders) SyncFolder(folder);
  return true;
}

}  // namespace platform
