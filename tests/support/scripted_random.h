#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <initializer_list>

#include "engine/random_generator.h"

namespace wobbet::testing {

// Gives the numbers it is handed, in order; running out is a test failure.
struct ScriptedRandom : RandomGenerator {
    ScriptedRandom(std::initializer_list<int> script = {}) : numbers(script) {}
    void Seed(std::uint32_t) override {}
    int Next() override {
        ++draws;
        if (numbers.empty()) {
            ADD_FAILURE() << "more random numbers drawn than scripted";
            return 0;
        }
        const int number = numbers.front();
        numbers.pop_front();
        return number;
    }

    std::deque<int> numbers;
    int draws = 0;
};

}  // namespace wobbet::testing
