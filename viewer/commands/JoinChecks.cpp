#include "viewer/commands/JoinChecks.h"

#include <system_error>

#include "recording/CompanionPath.h"
#include "recording/RecordingJoin.h"

namespace viewer {
namespace {

bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
  std::error_code ec;
  if (std::filesystem::equivalent(a, b, ec) && !ec) return true;
  // Files that do not exist yet are the same when their names are.
  return std::filesystem::weakly_canonical(a, ec) == std::filesystem::weakly_canonical(b, ec) && !ec;
}

}  // namespace

bool JoinOutputIsAnInput(const std::filesystem::path& output_front, const std::vector<library::RecordingEntry>& inputs) {
  const recording::JoinOutputPaths out = recording::JoinOutputs(output_front);
  for (const library::RecordingEntry& entry : inputs) {
    const std::filesystem::path front = entry.path;
    for (const auto& input : {front, recording::CompanionPath(front, recording::Companion::kOtherCamera),
                              recording::DataPath(front)}) {
      for (const auto& output : {out.front, out.rear, out.data}) {
        if (SameFile(input, output)) return true;
      }
    }
  }
  return false;
}

bool JoinOutputExists(const std::filesystem::path& output_front) {
  const recording::JoinOutputPaths out = recording::JoinOutputs(output_front);
  std::error_code ec;
  for (const auto& path : {out.front, out.rear, out.data}) {
    if (std::filesystem::exists(std::filesystem::symlink_status(path, ec))) return true;
  }
  return false;
}

std::uint64_t JoinedBytes(const std::vector<library::RecordingEntry>& inputs) {
  std::uint64_t sum = 0;
  for (const library::RecordingEntry& entry : inputs) {
    for (std::uint64_t size : {entry.main_size, entry.sub_size, entry.data_size}) {
      if (size != library::RecordingEntry::kNoSize) sum += size;
    }
  }
  return sum;
}

bool JoinedFrontFits(const std::vector<library::RecordingEntry>& inputs) {
  std::uint64_t sum = 0;
  for (const library::RecordingEntry& entry : inputs) {
    if (entry.main_size != library::RecordingEntry::kNoSize) sum += entry.main_size;
  }
  return sum < (std::uint64_t{1} << 32);
}

bool JoinSpaceSuffices(std::uint64_t needed, std::optional<std::uint64_t> free_bytes) {
  return free_bytes && *free_bytes > needed;
}

}  // namespace viewer
