#include "engine/random_generator.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace wobbet {
namespace {

std::vector<int> Draws(RandomGenerator& random, int count) {
    std::vector<int> draws;
    for (int i = 0; i < count; ++i) {
        draws.push_back(random.Next());
    }
    return draws;
}

TEST(CrtRandomTest, GivesTheClassicRuntimeSequenceAndJumpsWhereRepeatedDrawsWouldLand) {
    CrtRandom random;
    random.Seed(1);
    EXPECT_EQ(Draws(random, 5), (std::vector<int>{41, 18467, 6334, 26500, 19169}));
    for (std::uint64_t count : {0u, 1u, 2u, 3u, 7u, 64u, 1000u, 65537u, 1234567u}) {
        CrtRandom stepped, jumped;
        stepped.Seed(20240601);
        jumped.Seed(20240601);
        Draws(stepped, static_cast<int>(count));
        jumped.Discard(count);
        EXPECT_EQ(Draws(jumped, 3), Draws(stepped, 3)) << count << " draws skipped";
    }
}

TEST(CrtRandomTest, DiscardCountsBeyondThirtyOneBits) {
    // The sequence repeats after 2^32 draws: one short of that, the next draw is the one whose
    // state is the seed itself.
    constexpr std::uint64_t kPeriod = std::uint64_t{1} << 32;
    for (const auto& [count, expected] : std::vector<std::pair<std::uint64_t, std::vector<int>>>{
             {kPeriod - 1, {0, 41}}, {kPeriod, {41, 18467}}, {kPeriod + 2, {6334, 26500}}}) {
        CrtRandom random;
        random.Seed(1);
        random.Discard(count);
        EXPECT_EQ(Draws(random, 2), expected) << count;
    }
    CrtRandom halves;
    halves.Seed(1);
    halves.Discard((kPeriod >> 1) + 1);
    halves.Discard((kPeriod >> 1) - 1);
    EXPECT_EQ(Draws(halves, 1), std::vector<int>{41});
}

}  // namespace
}  // namespace wobbet
