#include "tests/support/failing_allocation.h"

#include <cstdlib>
#include <new>

namespace {

// The allocator is the program's own, so its countdown can only be a global.
long allocationsBeforeFailure = -1;

}  // namespace

void wobbet::testing::FailAllocationAfter(long allocations) {
    allocationsBeforeFailure = allocations;
}

void* operator new(std::size_t size) {
    if (allocationsBeforeFailure >= 0 && allocationsBeforeFailure-- == 0) {
        throw std::bad_alloc();
    }
    if (void* memory = std::malloc(size == 0 ? 1 : size)) {
        return memory;
    }
    throw std::bad_alloc();
}

void operator delete(void* memory) noexcept {
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}
