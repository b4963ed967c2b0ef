#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

namespace library {

// What the loss of the source means for the program.
enum class SourceLoss {
  kSource,        // the source went away (a card pulled, a folder removed): clear the list and views, keep running
  kProgramDrive,  // the file system the program runs from went with it: shut down
};

// Tells a pulled card from the loss of the program's own file system, by the
// device numbers of the two file systems. Paths say nothing here: every path
// starts at the same root, and once a volume is unmounted its mount point
// reports the device of the file system beneath it, so the devices must be
// the ones recorded while both were there.
class DriveLossRule {
 public:
  // Records the device of the program's executable (platform::Fs()); call at
  // start-up, while it is surely there.
  explicit DriveLossRule(std::filesystem::path executable);

  // source_device: the source's device recorded when it was opened (the
  // source watcher keeps it), none when it could not be read. The program's
  // drive counts as lost only when the source was on it and the executable
  // no longer answers on that device; a folder removed from the disk the
  // program runs from loses only the source.
  SourceLoss Classify(std::optional<std::uint64_t> source_device) const;

  std::optional<std::uint64_t> executable_device() const { return executable_device_; }

 private:
  std::filesystem::path executable_;
  std::optional<std::uint64_t> executable_device_;
};

}  // namespace library
