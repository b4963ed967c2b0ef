#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>

// The fuzz input as a file the readers can open and map: an in-memory file
// rewritten for every input.
const std::filesystem::path& FuzzFile(const std::uint8_t* data, std::size_t size);
