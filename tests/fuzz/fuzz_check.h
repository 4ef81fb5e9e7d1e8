#pragma once

#include <cstdio>
#include <cstdlib>

namespace wobbet::fuzzing {

// A broken property is a fault like a crash: report it and abort so the fuzzer keeps the input.
inline void Require(bool holds, const char* property) {
    if (!holds) {
        std::fprintf(stderr, "property broken: %s\n", property);
        std::abort();
    }
}

}  // namespace wobbet::fuzzing
