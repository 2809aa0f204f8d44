// Heap storage shared by ByteBuffer and AnsiText: one block with a small header, grown with
// realloc so that a large buffer can grow without being copied by hand.
#pragma once

#include <cstddef>

namespace vornelle::detail {

struct ByteBlock {
  std::size_t references;  // AnsiText values that share this block; 1 while a ByteBuffer owns it
  std::size_t capacity;    // bytes available after the header
};

inline char* BlockBytes(ByteBlock* block) noexcept {
  return reinterpret_cast<char*>(block + 1);
}
inline const char* BlockBytes(const ByteBlock* block) noexcept {
  return reinterpret_cast<const char*>(block + 1);
}

// Allocates a block with room for `capacity` bytes and one reference. Throws std::bad_alloc.
ByteBlock* AllocateBlock(std::size_t capacity);
// Gives `block` (nullptr for none) room for `capacity` bytes, keeping its contents and header.
// Throws std::bad_alloc and leaves `block` as it was when memory cannot be had.
ByteBlock* ResizeBlock(ByteBlock* block, std::size_t capacity);
void FreeBlock(ByteBlock* block) noexcept;

}  // namespace vornelle::detail
