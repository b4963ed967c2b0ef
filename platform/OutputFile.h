#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

namespace platform {

// A file written under a temporary name in its final folder and renamed into
// place only by Commit() (or with others by an OutputSet), after every write,
// fsync and close succeeded. A file destroyed before it was put in place is
// removed, so a failure never leaves a half-written file under the final name.
class OutputFile {
 public:
  virtual ~OutputFile() = default;
  virtual bool Write(const void* data, std::size_t n) = 0;
  // Copies length bytes at offset of another open file (kernel copy where it
  // can, read and write calls otherwise; never through mapped memory).
  virtual bool CopyFrom(int source_fd, std::uint64_t offset, std::uint64_t length) = 0;
  // Syncs and closes the file; it stays under its temporary name.
  virtual bool Finish() = 0;
  // Tells the file that it was renamed into place, so it is not removed.
  virtual void Placed() = 0;
  virtual std::uint64_t written() const = 0;
  virtual const std::filesystem::path& final_path() const = 0;
  virtual const std::filesystem::path& temporary_path() const = 0;
  // Finish(), then the rename over any file of the final name.
  bool Commit();
  // Why the last call failed.
  const std::string& error() const { return error_; }

 protected:
  std::string error_;
};

}  // namespace platform
