#pragma once

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <vector>

namespace recording {

// One box of a recording's container. Offsets and sizes are those of the
// file the box was read from (source_path); a joined tree mixes several.
struct BoxNode {
  std::int32_t depth = 0;  // 0 for the root (the whole file), 1 for top-level boxes
  std::vector<std::uint8_t> payload;  // copy of a loaded leaf's payload, empty otherwise
  std::vector<BoxNode> children;      // in file order
  std::int32_t has_raw_payload = 0;   // 1: a leaf (its bytes are the content); 0: a container
  char type[5] = {0, 0, 0, 0, 0};     // empty for the root
  std::filesystem::path source_path;
  std::uint64_t payload_size = 0;     // box size minus 8; edited by a joiner
  std::uint64_t payload_offset = 0;   // file offset of the first payload byte; edited by a joiner
  std::uint64_t loaded_size = 0;      // bytes in payload
  std::uint64_t copy_offset = 0;      // where a writer copies bytes not in memory from (mdat, udat)
  std::uint64_t copy_length = 0;      // record bytes a writer copies for a udat box
  std::uint16_t record_count = 0;     // sensor records of a udat box
  // Same-type boxes of other trees written after this one (joined mdat).
  // Each chained node uses its own linked_tail as its "next" pointer.
  BoxNode* linked_head = nullptr;
  BoxNode* linked_tail = nullptr;
  // Payload size and offset exactly as read from the file.
  std::uint64_t read_payload_size = 0;
  std::uint64_t read_payload_offset = 0;

  std::string_view Type() const { return std::string_view(type, std::strlen(type)); }
  bool IsType(std::string_view t) const { return Type() == t; }
  // Held as a range of its file, not in memory: a leaf nobody reads (an
  // unknown box, free, udta...), or a container whose walk stopped at bytes
  // that are not boxes (it keeps the children found). A writer copies it
  // whole from its file.
  bool IsLeafWithoutCopy() const {
    return has_raw_payload == 1 && loaded_size == 0 && payload_size > 0 && !IsType("mdat");
  }
};

}  // namespace recording
