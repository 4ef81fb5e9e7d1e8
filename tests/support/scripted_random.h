#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <initializer_list>

#include "engine/random_generator.h"

namespace wobbet::testing {

// Gives the numbers it is handed, in order; running out is a test failure.
class ScriptedRandom : public RandomGenerator {
public:
    ScriptedRandom() = default;
    ScriptedRandom(std::initializer_list<int> numbers) : numbers_(numbers) {}

    void Push(int number) { numbers_.push_back(number); }
    void PushRepeated(int number, std::size_t times) {
        numbers_.insert(numbers_.end(), times, number);
    }
    void Seed(std::uint32_t) override {}
    int Next() override {
        ++draws_;
        if (numbers_.empty()) {
            ADD_FAILURE() << "more random numbers drawn than scripted";
            return 0;
        }
        const int number = numbers_.front();
        numbers_.pop_front();
        return number;
    }
    int Draws() const { return draws_; }
    std::size_t Remaining() const { return numbers_.size(); }

private:
    std::deque<int> numbers_;
    int draws_ = 0;
};

}  // namespace wobbet::testing
