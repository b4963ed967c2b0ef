#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "FuzzFile.h"
#include "recording/BoxTree.h"
#include "recording/RecordingJoin.h"

// Merges the input, as the second recording, into a fixed well-formed one
// (and into itself): the checks must refuse what they cannot merge, and a
// merge must never read or write outside its tables.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::filesystem::path first = [] {
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "brennovale-join-fuzz-first.mov";
    std::ifstream seed(BRENNOVALE_JOIN_SEED, std::ios::binary);
    std::ofstream(path, std::ios::binary) << seed.rdbuf();
    return path;
  }();
  const auto& second = FuzzFile(data, size);
  auto a = recording::BoxTree::Open(first, true);
  auto b = recording::BoxTree::Open(second, true);
  if (!a || !b) return 0;
  std::string why;
  recording::MergeInto(**a, **b, &why);
  auto c = recording::BoxTree::Open(second, true);
  if (c) recording::MergeInto(**b, **c, &why);
  return 0;
}
