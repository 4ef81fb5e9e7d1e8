#pragma once

#include <vector>

namespace wobbet {

// Grows the vector's capacity ahead of a push_back, doubling as push_back would, so that the
// push_back itself cannot fail and a caller can change several things all or nothing.
template <typename T>
void MakeRoomForOne(std::vector<T>* values) {
    if (values->size() == values->capacity()) {
        values->reserve(values->size() * 2 + 1);
    }
}

}  // namespace wobbet
