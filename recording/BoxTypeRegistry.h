#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace recording {

// The box types the reader recognises. Membership decides whether a payload
// that begins like a box header is walked as a container (BoxTree).
class BoxTypeRegistry {
 public:
  static const BoxTypeRegistry& Instance();

  bool Contains(const std::uint8_t* four_chars) const;
  bool Contains(std::string_view type) const;

  // The fixed list the set is built from, in its order (168 entries; "xml "
  // occurs twice, so 167 distinct types).
  static std::size_t ListSize();
  static std::string_view ListEntry(std::size_t i);

 private:
  BoxTypeRegistry();
  static std::uint32_t Key(const std::uint8_t* four_chars);
  // Sorted distinct codes; lookups are a binary search over 167 words.
  std::array<std::uint32_t, 167> codes_{};
  std::size_t count_ = 0;
};

}  // namespace recording
