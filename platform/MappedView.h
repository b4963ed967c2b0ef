#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

class FileMapping;

// A read-only window of a mapped file (FileMapping::Map), unmapped when
// destroyed. Reads are guarded: a file cut short or a medium pulled under a
// read fails the read instead of ending the process.
class MappedView {
 public:
  MappedView() = default;
  MappedView(MappedView&& other) noexcept;
  MappedView& operator=(MappedView&& other) noexcept;
  MappedView(const MappedView&) = delete;
  MappedView& operator=(const MappedView&) = delete;
  ~MappedView();

  bool valid() const { return data_ != nullptr; }
  const std::uint8_t* data() const { return data_; }
  std::size_t size() const { return size_; }
  std::uint64_t file_offset() const { return file_offset_; }
  // Bytes between the page-aligned start of the mapping and data().
  std::size_t slack() const { return slack_; }

  // Copies n bytes at offset within the view. False when the range is not
  // inside the view or the file faulted under the read (truncated, medium gone).
  bool Read(std::size_t offset, void* dst, std::size_t n) const;
  bool ReadBE32(std::size_t offset, std::uint32_t* value) const;
  bool ReadBE16(std::size_t offset, std::uint16_t* value) const;

  void Unmap();

 private:
  friend class FileMapping;
  MappedView(void* base, std::size_t mapped, std::size_t slack, std::size_t size, std::uint64_t offset);
  void* base_ = nullptr;
  std::size_t mapped_ = 0;
  const std::uint8_t* data_ = nullptr;
  std::size_t slack_ = 0;
  std::size_t size_ = 0;
  std::uint64_t file_offset_ = 0;
};

}  // namespace platform
