// The one place where the conversions obtain memory for text and byte values. Running out of
// memory surfaces as std::bad_alloc; the window layer turns it into the fatal error.
#pragma once

#include <cstddef>

namespace vornelle {

// Test seam: when set, it is asked before every allocation of `bytes` bytes and a true answer
// makes that allocation fail as though the system had no memory left.
using AllocationFailurePredicate = bool (*)(std::size_t bytes);
void SetAllocationFailurePredicate(AllocationFailurePredicate predicate) noexcept;

}  // namespace vornelle
