#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include "library/RecordingEntry.h"

namespace viewer {

// The checks a join through the main window makes before the joiner creates
// anything.

// The output front, or its rear or data file beside it, is (by file, not
// by name) a file of one of the recordings to join: writing it would
// replace an input.
bool JoinOutputIsAnInput(const std::filesystem::path& output_front, const std::vector<library::RecordingEntry>& inputs);
// The output files the join would replace: any of front, rear, data exists.
bool JoinOutputExists(const std::filesystem::path& output_front);
// The bytes the recordings carry in the list (front, rear and data).
std::uint64_t JoinedBytes(const std::vector<library::RecordingEntry>& inputs);
// The joined front must stay below 4 GiB (its box sizes are 32-bit).
bool JoinedFrontFits(const std::vector<library::RecordingEntry>& inputs);
// Enough room only when the free space is larger than what is written; an
// unknown free space is not enough.
bool JoinSpaceSuffices(std::uint64_t needed, std::optional<std::uint64_t> free_bytes);

}  // namespace viewer
