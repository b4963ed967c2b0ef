#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/Expected.h"
#include "platform/FileMapping.h"
#include "recording/BoxNode.h"

namespace recording {

// The ten box types whose boxes a tree lists, in this order.
enum class BoxList { kMdat, kStsz, kStco, kMdhd, kStss, kStts, kMvhd, kTkhd, kElst, kStsd };
constexpr std::size_t kBoxListCount = 10;
std::string_view BoxListType(BoxList list);

struct FrameSize {
  std::int32_t width = -1;
  std::int32_t height = -1;
};

// The parsed box tree of one opened recording. The file stays open and mapped
// until the tree is freed (destroyed), since writers copy media data from it.
class BoxTree {
 public:
  // Walks the whole tree, past boxes of unknown types. Only headers and
  // sample tables are copied into memory; every other leaf, the root
  // included, stays a range of the file (load_root is kept for callers that
  // still pass it; no node is ever copied whole). Fails with a reason when
  // the file cannot be opened or mapped, a box size is invalid or runs past
  // its parent, or boxes nest too deeply.
  static platform::Expected<std::unique_ptr<BoxTree>> Open(const std::filesystem::path& path, bool load_root);

  ~BoxTree();
  BoxTree(const BoxTree&) = delete;
  BoxTree& operator=(const BoxTree&) = delete;

  void Free();

  const std::filesystem::path& path() const { return path_; }
  std::uint64_t file_size() const { return file_size_; }
  std::uint64_t granularity() const { return granularity_; }
  const std::shared_ptr<platform::FileMapping>& mapping() const { return mapping_; }

  BoxNode& root() { return root_; }
  const BoxNode& root() const { return root_; }
  const std::vector<BoxNode*>& List(BoxList list) const { return lists_[static_cast<std::size_t>(list)]; }
  // Rebuilds the ten lists from the tree (after a writer changed its shape).
  void RebuildLists();

  // Of the video track (the one whose handler is "vide"): its sample
  // description's picture size, -1, -1 without one.
  FrameSize GetFrameSize() const;
  // Its frame count and frame rate (media timescale over sample delta) as
  // VideoTiming reads them; -1 when VideoTiming refuses the file.
  std::int32_t GetFrameCount() const;
  float GetFrameRate() const;

 private:
  BoxTree() = default;
  std::shared_ptr<platform::FileMapping> mapping_;
  std::filesystem::path path_;
  std::uint64_t file_size_ = 0;
  std::uint64_t granularity_ = 0;
  BoxNode root_;
  std::uint64_t root_size_ = 0;
  std::array<std::vector<BoxNode*>, kBoxListCount> lists_;

  friend class BoxTreeBuilder;
};

}  // namespace recording
