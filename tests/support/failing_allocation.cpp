// Linked into a test program, lets it make an allocation fail: the allocator is the program's
// own, so its countdown can only be a global.
#include <cstdlib>
#include <new>

// Allocations that succeed before one throws std::bad_alloc; negative: none fails.
long allocationsBeforeFailure = -1;

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
