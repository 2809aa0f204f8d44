#include "ansi_text.h"

#include <cstring>
#include <new>
#include <utility>

namespace vornelle {
namespace {

// Geometric growth keeps a long run of appends linear; realloc lets large blocks grow in place.
std::size_t GrownCapacity(std::size_t current, std::size_t needed) {
  constexpr std::size_t kMinimum = 64;
  std::size_t grown = current + current / 2;
  if (grown < current) grown = needed;  // overflow: ask for exactly what is needed
  if (grown < needed) grown = needed;
  return grown < kMinimum ? kMinimum : grown;
}

std::size_t LengthBeforeZero(std::string_view bytes) noexcept {
  const void* zero = std::memchr(bytes.data(), '\0', bytes.size());
  return zero ? static_cast<const char*>(zero) - bytes.data() : bytes.size();
}

}  // namespace

ByteBuffer& ByteBuffer::operator=(ByteBuffer&& other) noexcept {
  if (this != &other) {
    detail::FreeBlock(block_);
    block_ = std::exchange(other.block_, nullptr);
    size_ = std::exchange(other.size_, 0);
  }
  return *this;
}

void ByteBuffer::Grow(std::size_t needed) {
  if (needed < size_) throw std::bad_alloc();  // size overflow
  block_ = detail::ResizeBlock(block_, GrownCapacity(block_ ? block_->capacity : 0, needed));
}

void ByteBuffer::Reserve(std::size_t capacity) {
  if (block_ == nullptr || block_->capacity < capacity) {
    block_ = detail::ResizeBlock(block_, capacity);
  }
}

void ByteBuffer::Append(std::string_view bytes) {
  if (bytes.empty()) return;
  const std::size_t needed = size_ + bytes.size();
  if (needed < size_) throw std::bad_alloc();
  if (block_ == nullptr || needed > block_->capacity) Grow(needed);
  std::memcpy(detail::BlockBytes(block_) + size_, bytes.data(), bytes.size());
  size_ = needed;
}

AnsiText::AnsiText(const char* zero_terminated) : AnsiText() {
  if (zero_terminated != nullptr) AssignBytes({zero_terminated, std::strlen(zero_terminated)});
}

AnsiText AnsiText::FromBytes(std::string_view bytes) {
  AnsiText text;
  text.AssignBytes(bytes.substr(0, LengthBeforeZero(bytes)));
  return text;
}

AnsiText::AnsiText(ByteBuffer&& bytes) : AnsiText() {
  const std::size_t length = LengthBeforeZero(bytes.View());
  if (length == 0) return;
  // Room for the terminator; only a buffer full to its last byte with no zero needs more.
  bytes.Reserve(length + 1);
  shared_ = std::exchange(bytes.block_, nullptr);
  bytes.size_ = 0;
  shared_->references = 1;
  detail::BlockBytes(shared_)[length] = '\0';
  length_ = length;
}

AnsiText::AnsiText(const AnsiText& other) noexcept
    : shared_(other.shared_), length_(other.length_) {
  if (shared_) {
    ++shared_->references;
  } else {
    std::memcpy(inline_, other.inline_, length_ + 1);
  }
}

AnsiText& AnsiText::operator=(const AnsiText& other) noexcept {
  if (this != &other) {
    AnsiText copy(other);
    *this = std::move(copy);
  }
  return *this;
}

AnsiText& AnsiText::operator=(AnsiText&& other) noexcept {
  if (this != &other) {
    Release();
    shared_ = std::exchange(other.shared_, nullptr);
    length_ = std::exchange(other.length_, 0);
    if (!shared_) std::memcpy(inline_, other.inline_, length_ + 1);
    other.inline_[0] = '\0';
  }
  return *this;
}

void AnsiText::Release() noexcept {
  if (shared_ && --shared_->references == 0) detail::FreeBlock(shared_);
  shared_ = nullptr;
  length_ = 0;
  inline_[0] = '\0';
}

void AnsiText::AssignBytes(std::string_view bytes) {
  if (bytes.size() <= kInlineCapacity) {
    std::memcpy(inline_, bytes.data(), bytes.size());
    inline_[bytes.size()] = '\0';
  } else {
    shared_ = detail::AllocateBlock(bytes.size() + 1);
    std::memcpy(detail::BlockBytes(shared_), bytes.data(), bytes.size());
    detail::BlockBytes(shared_)[bytes.size()] = '\0';
  }
  length_ = bytes.size();
}

AnsiText AnsiText::Concatenate(AnsiText&& head, std::string_view tail) {
  tail = tail.substr(0, LengthBeforeZero(tail));
  if (tail.empty()) return std::move(head);
  const std::size_t length = head.length_ + tail.size();
  if (length < head.length_ || length + 1 == 0) throw std::bad_alloc();
  if (!head.shared_ && length <= kInlineCapacity) {
    std::memcpy(head.inline_ + head.length_, tail.data(), tail.size());
    head.inline_[length] = '\0';
    head.length_ = length;
    return std::move(head);
  }
  if (head.shared_ && head.shared_->references == 1) {
    if (head.shared_->capacity < length + 1) {
      head.shared_ =
          detail::ResizeBlock(head.shared_, GrownCapacity(head.shared_->capacity, length + 1));
    }
  } else {
    // Shared with another value, or held inline: copy into a block of its own.
    const std::size_t head_length = head.length_;
    detail::ByteBlock* block = detail::AllocateBlock(GrownCapacity(0, length + 1));
    std::memcpy(detail::BlockBytes(block), head.Data(), head_length);
    head.Release();
    head.shared_ = block;
    head.length_ = head_length;
  }
  char* bytes = detail::BlockBytes(head.shared_);
  std::memcpy(bytes + head.length_, tail.data(), tail.size());
  bytes[length] = '\0';
  head.length_ = length;
  return std::move(head);
}

}  // namespace vornelle
