#include "FuzzFile.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

const std::filesystem::path& FuzzFile(const std::uint8_t* data, std::size_t size) {
  static const int fd = memfd_create("fuzz-input", 0);
  static const std::filesystem::path path = "/proc/self/fd/" + std::to_string(fd);
  if (fd < 0 || ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) std::abort();
  return path;
}
