#include "byte_block.h"

#include <cstdlib>
#include <limits>
#include <new>

#include "allocation.h"

namespace vornelle {
namespace {
#ifdef VORNELLE_FAIL_ALLOCATIONS_ABOVE
// Fault-injection builds: every request above this many bytes fails.
bool FailLargeAllocations(std::size_t bytes) {
  return bytes > (VORNELLE_FAIL_ALLOCATIONS_ABOVE);
}
AllocationFailurePredicate g_failure_predicate = &FailLargeAllocations;
#else
AllocationFailurePredicate g_failure_predicate = nullptr;
#endif
}  // namespace

void SetAllocationFailurePredicate(AllocationFailurePredicate predicate) noexcept {
  g_failure_predicate = predicate;
}

namespace detail {

ByteBlock* ResizeBlock(ByteBlock* block, std::size_t capacity) {
  constexpr std::size_t kLargest = std::numeric_limits<std::size_t>::max() - sizeof(ByteBlock);
  if (capacity > kLargest) throw std::bad_alloc();
  const std::size_t bytes = sizeof(ByteBlock) + capacity;
  if (g_failure_predicate != nullptr && g_failure_predicate(bytes)) throw std::bad_alloc();
  void* memory = std::realloc(block, bytes);
  if (memory == nullptr) throw std::bad_alloc();
  auto* resized = static_cast<ByteBlock*>(memory);
  if (block == nullptr) resized->references = 1;
  resized->capacity = capacity;
  return resized;
}

ByteBlock* AllocateBlock(std::size_t capacity) {
  return ResizeBlock(nullptr, capacity);
}

void FreeBlock(ByteBlock* block) noexcept {
  std::free(block);
}

}  // namespace detail
}  // namespace vornelle
