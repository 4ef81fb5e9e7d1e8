#include "engine/random_generator.h"

#include <gtest/gtest.h>

#include <vector>

namespace wobbet {
namespace {

std::vector<int> Draws(std::uint64_t skipped, int count, std::uint32_t seed = 1) {
    CrtRandom random;
    random.Seed(seed);
    random.Discard(skipped);
    std::vector<int> draws;
    while (count-- > 0) {
        draws.push_back(random.Next());
    }
    return draws;
}

TEST(CrtRandomTest, GivesTheClassicRuntimeSequenceAndJumpsWhereRepeatedDrawsWouldLand) {
    EXPECT_EQ(Draws(0, 5), (std::vector<int>{41, 18467, 6334, 26500, 19169}));
    for (int count : {1, 2, 3, 7, 64, 1000, 65537, 1234567}) {
        const std::vector<int> stepped = Draws(0, count + 3, 20240601);
        EXPECT_EQ(Draws(static_cast<std::uint64_t>(count), 3, 20240601),
                  std::vector<int>(stepped.end() - 3, stepped.end()))
            << count << " draws skipped";
    }
}

TEST(CrtRandomTest, DiscardCountsBeyondThirtyOneBits) {
    // The sequence repeats after 2^32 draws; one short of that the state is the seed itself.
    constexpr std::uint64_t kPeriod = std::uint64_t{1} << 32;
    EXPECT_EQ(Draws(kPeriod - 1, 2), (std::vector<int>{0, 41}));
    EXPECT_EQ(Draws(kPeriod + 2, 2), (std::vector<int>{6334, 26500}));
    CrtRandom halves;
    halves.Seed(1);
    halves.Discard((kPeriod >> 1) + 1);
    halves.Discard((kPeriod >> 1) - 1);
    EXPECT_EQ(halves.Next(), 41);
}

}  // namespace
}  // namespace wobbet
