// Text and byte values as the edit boxes hold them: bytes in the system ANSI code page.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "byte_block.h"

namespace vornelle {

// A counted run of bytes that may hold zero bytes, built up by appending. Move-only: it owns its
// storage alone until it is turned into an AnsiText.
class ByteBuffer {
 public:
  ByteBuffer() noexcept = default;
  ByteBuffer(ByteBuffer&& other) noexcept : block_(other.block_), size_(other.size_) {
    other.block_ = nullptr;
    other.size_ = 0;
  }
  ByteBuffer& operator=(ByteBuffer&& other) noexcept;
  ByteBuffer(const ByteBuffer&) = delete;
  ByteBuffer& operator=(const ByteBuffer&) = delete;
  ~ByteBuffer() { detail::FreeBlock(block_); }

  std::size_t Size() const noexcept { return size_; }
  bool Empty() const noexcept { return size_ == 0; }
  const char* Data() const noexcept { return block_ ? detail::BlockBytes(block_) : ""; }
  std::string_view View() const noexcept { return {Data(), size_}; }

  void Append(char byte) {
    if (block_ == nullptr || size_ == block_->capacity) Grow(size_ + 1);
    detail::BlockBytes(block_)[size_++] = byte;
  }
  void Append(std::string_view bytes);
  // Makes room for `capacity` bytes in all, so that appends up to it allocate nothing.
  void Reserve(std::size_t capacity);
  void Clear() noexcept { size_ = 0; }

  // Storage reserved for bytes that another interface writes in place; SetSize then counts the
  // bytes written (never more than the capacity).
  std::size_t Capacity() const noexcept { return block_ ? block_->capacity : 0; }
  char* MutableData() noexcept { return block_ ? detail::BlockBytes(block_) : nullptr; }
  void SetSize(std::size_t size) noexcept { size_ = size < Capacity() ? size : Capacity(); }

 private:
  friend class AnsiText;
  void Grow(std::size_t needed);

  detail::ByteBlock* block_ = nullptr;
  std::size_t size_ = 0;
};

// A text value: a run of bytes in the ANSI code page ended by a zero byte, so that a zero byte
// never occurs inside it. Its length counts bytes; positions in it are 1-based byte positions.
//
// Copies are cheap: short texts are held inline, longer ones share one immutable block, counted
// without atomics, so a text and its copies belong to one thread.
class AnsiText {
 public:
  AnsiText() noexcept { inline_[0] = '\0'; }
  // The bytes of a zero-terminated string, up to that zero.
  AnsiText(const char* zero_terminated);  // NOLINT(google-explicit-constructor): "" reads well
  // The bytes of `bytes` before its first zero byte, all of them when it holds none.
  static AnsiText FromBytes(std::string_view bytes);
  // The same rule for a buffer, taking over its storage instead of copying it.
  explicit AnsiText(ByteBuffer&& bytes);

  AnsiText(const AnsiText& other) noexcept;
  AnsiText(AnsiText&& other) noexcept : shared_(other.shared_), length_(other.length_) {
    other.shared_ = nullptr;
    other.length_ = 0;
    if (!shared_) std::memcpy(inline_, other.inline_, sizeof inline_);  // fixed size: no call
    other.inline_[0] = '\0';
  }
  AnsiText& operator=(const AnsiText& other) noexcept;
  AnsiText& operator=(AnsiText&& other) noexcept;
  ~AnsiText() {
    if (shared_) Release();  // an inline text owns nothing
  }

  std::size_t Length() const noexcept { return length_; }
  bool Empty() const noexcept { return length_ == 0; }
  // The bytes followed by their terminating zero.
  const char* Data() const noexcept { return shared_ ? detail::BlockBytes(shared_) : inline_; }
  std::string_view View() const noexcept { return {Data(), length_}; }

  // The character code at a 1-based position: the byte read as a signed 8-bit value, so bytes
  // 0x80 to 0xFF give -128 to -1; a position past the last byte (or 0) gives 0.
  std::int32_t CodeAt(std::size_t position) const noexcept {
    if (position == 0 || position > length_) return 0;
    return static_cast<std::int32_t>(static_cast<std::int8_t>(Data()[position - 1]));
  }

  // `head` followed by the bytes of `tail` before its first zero. Reuses head's storage, growing
  // it in place, when no other value shares it; amortised linear over many calls.
  static AnsiText Concatenate(AnsiText&& head, std::string_view tail);
  // The same in place: afterwards this value is itself followed by the bytes of `tail` before
  // its first zero.
  void Append(std::string_view tail) { *this = Concatenate(std::move(*this), tail); }
  // The same for a text, which holds no zero byte to look for. A short text held inline goes
  // over as one fixed-size copy into the spare room; only its own bytes are counted in.
  void Append(const AnsiText& tail) {
    constexpr std::size_t kWord = 8;
    if (!tail.shared_ && tail.length_ <= kWord && shared_ && shared_->references == 1 &&
        length_ + kWord < shared_->capacity) {
      char* out = detail::BlockBytes(shared_) + length_;
      std::memcpy(out, tail.inline_, kWord);
      out[tail.length_] = '\0';
      length_ += tail.length_;
      return;
    }
    Append(tail.View());
  }

  friend bool operator==(const AnsiText& a, const AnsiText& b) noexcept {
    return a.View() == b.View();
  }

 private:
  static constexpr std::size_t kInlineCapacity = 23;

  void Release() noexcept;
  void AssignBytes(std::string_view bytes);

  detail::ByteBlock* shared_ = nullptr;
  std::size_t length_ = 0;
  char inline_[kInlineCapacity + 1];
};

}  // namespace vornelle
