#pragma once

namespace wobbet::testing {

// A program linked with failing_allocation.cpp can make one of its next allocations throw
// std::bad_alloc: `allocations` of them succeed first. Negative: none fails.
void FailAllocationAfter(long allocations);

}  // namespace wobbet::testing
