#pragma once

#include <cstdint>

namespace wobbet {

// Every draw of the program: the tie values and learn decision of selection, the reply drawn
// at mood 0 and the character's placement. Values run from 0 to kMax inclusive.
class RandomGenerator {
public:
    static constexpr int kMax = 32767;

    virtual ~RandomGenerator() = default;
    virtual void Seed(std::uint32_t seed) = 0;
    virtual int Next() = 0;
    // Moves past count draws, exactly as count calls of Next would. Selection skips the draws of
    // groups that cannot win; a generator that can jump ahead makes that cheap.
    virtual void Discard(std::uint64_t count) {
        for (; count > 0; --count) {
            Next();
        }
    }
};

// The classic Windows C runtime generator, so that one seed gives one conversation on every
// platform.
class CrtRandom final : public RandomGenerator {
public:
    void Seed(std::uint32_t seed) override { state_ = seed; }
    int Next() override {
        state_ = state_ * kMultiplier + kIncrement;
        return static_cast<int>((state_ >> 16) & 0x7FFFu);
    }
    // n steps of x -> a x + c form one step x -> A x + C, built from the steps of 1, 2, 4, ...
    void Discard(std::uint64_t count) override {
        std::uint32_t multiplier = 1;
        std::uint32_t increment = 0;
        std::uint32_t stepMultiplier = kMultiplier;
        std::uint32_t stepIncrement = kIncrement;
        for (; count > 0; count >>= 1) {
            if ((count & 1) != 0) {
                multiplier *= stepMultiplier;
                increment = increment * stepMultiplier + stepIncrement;
            }
            stepIncrement = stepIncrement * stepMultiplier + stepIncrement;
            stepMultiplier *= stepMultiplier;
        }
        state_ = state_ * multiplier + increment;
    }

private:
    static constexpr std::uint32_t kMultiplier = 214013u;
    static constexpr std::uint32_t kIncrement = 2531011u;

    std::uint32_t state_ = 1;
};

}  // namespace wobbet
