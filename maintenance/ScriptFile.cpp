#include "maintenance/ScriptFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace maintenance {
namespace {

bool Fail(std::string* error, const std::string& what) {
  if (error) *error = what + ": " + std::strerror(errno);
  return false;
}

}  // namespace

std::filesystem::path ScriptFolder(const std::filesystem::path& program_folder) {
  if (!program_folder.empty() && ::access(program_folder.c_str(), W_OK | X_OK) == 0) return program_folder;
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && *runtime == '/' && ::access(runtime, W_OK | X_OK) == 0) return runtime;
  return {};
}

bool WriteScriptFile(const std::filesystem::path& file, const std::string& script, std::string* error) {
  struct stat st {};
  if (::lstat(file.c_str(), &st) == 0) {
    if (!S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) {
      errno = EEXIST;
      return Fail(error, file.string() + " is in the way and not ours to remove");
    }
    if (::unlink(file.c_str()) != 0) return Fail(error, "cannot remove the old " + file.string());
  } else if (errno != ENOENT) {
    return Fail(error, "cannot look at " + file.string());
  }
  const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return Fail(error, "cannot create " + file.string());
  std::size_t done = 0;
  bool ok = true;
  while (ok && done < script.size()) {
    const ssize_t n = ::write(fd, script.data() + done, script.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) ok = false;
    else done += static_cast<std::size_t>(n);
  }
  if (ok && ::fsync(fd) != 0) ok = false;
  const int saved = errno;
  if (::close(fd) != 0 && ok) ok = false;
  if (!ok) {
    ::unlink(file.c_str());  // never leave a half-written script
    errno = saved;
    return Fail(error, "cannot write " + file.string());
  }
  return true;
}

}  // namespace maintenance
