#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace platform {

class OutputFile;

// Output files put in place together, with files of other names that go
// with them: afterwards either every final name holds its new file (and the
// names to remove are gone), or, when any step failed, every one of those
// names holds what it held before. Files already under those names are
// renamed to backups beside them (".NAME.old-XXXXXX") before the new files
// are renamed into place, and the backups are removed only when all went
// well; a failure renames them back. A single file with nothing to remove is
// renamed over the old one directly, which is atomic by itself. Renames go
// through Fs(), so tests can make any of them fail.
class OutputSet {
 public:
  // The file must outlive Commit(); it is finished (synced and closed) there.
  void Add(OutputFile& file);
  // A file to remove with the set, when it exists (a part no longer written).
  void Remove(const std::filesystem::path& path);
  bool Commit();
  // Why Commit() failed, and where an earlier file is kept if it could not
  // be put back.
  const std::string& error() const { return error_; }

 private:
  struct Target {
    std::filesystem::path path;
    std::filesystem::path backup;  // empty while the file was not moved aside
  };
  bool MoveAside(Target& target);
  std::string PutBack();
  bool Fail(std::string why);

  std::vector<OutputFile*> files_;
  std::vector<std::filesystem::path> removals_;
  std::vector<Target> targets_;
  std::string error_;
};

}  // namespace platform
