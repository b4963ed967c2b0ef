#include "platform/MappedView.h"

#include <sys/mman.h>

#include <utility>

#include "platform/ByteOrder.h"
#include "platform/GuardedMemory.h"

namespace platform {

MappedView::MappedView(void* base, std::size_t mapped, std::size_t slack, std::size_t size, std::uint64_t offset)
    : base_(base),
      mapped_(mapped),
      data_(static_cast<const std::uint8_t*>(base) + slack),
      slack_(slack),
      size_(size),
      file_offset_(offset) {}

MappedView::MappedView(MappedView&& other) noexcept { *this = std::move(other); }

MappedView& MappedView::operator=(MappedView&& other) noexcept {
  if (this != &other) {
    Unmap();
    base_ = other.base_;
    mapped_ = other.mapped_;
    data_ = other.data_;
    slack_ = other.slack_;
    size_ = other.size_;
    file_offset_ = other.file_offset_;
    other.base_ = nullptr;
    other.data_ = nullptr;
    other.mapped_ = other.size_ = other.slack_ = 0;
  }
  return *this;
}

MappedView::~MappedView() { Unmap(); }

void MappedView::Unmap() {
  if (base_ != nullptr) ::munmap(base_, mapped_);
  base_ = nullptr;
  data_ = nullptr;
  mapped_ = size_ = slack_ = 0;
}

bool MappedView::Read(std::size_t offset, void* dst, std::size_t n) const {
  if (data_ == nullptr || offset > size_ || n > size_ - offset) return false;
  return GuardedCopy(dst, data_ + offset, n);
}

bool MappedView::ReadBE32(std::size_t offset, std::uint32_t* value) const {
  std::uint8_t b[4];
  if (!Read(offset, b, 4)) return false;
  *value = LoadBE32(b);
  return true;
}

bool MappedView::ReadBE16(std::size_t offset, std::uint16_t* value) const {
  std::uint8_t b[2];
  if (!Read(offset, b, 2)) return false;
  *value = LoadBE16(b);
  return true;
}

}  // namespace platform
