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
};

// The classic Windows C runtime generator, so that one seed gives one conversation on every
// platform.
class CrtRandom final : public RandomGenerator {
public:
    void Seed(std::uint32_t seed) override { state_ = seed; }
    int Next() override {
        state_ = state_ * 214013u + 2531011u;
        return static_cast<int>((state_ >> 16) & 0x7FFFu);
    }

private:
    std::uint32_t state_ = 1;
};

}  // namespace wobbet
