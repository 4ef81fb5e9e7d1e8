#include "engine/normalization.h"

#include <gtest/gtest.h>

namespace wobbet {
namespace {

struct NormalizeCase {
    std::string text;
    std::string normalised;
    std::int32_t wordCount;
};

class NormalizeTest : public ::testing::TestWithParam<NormalizeCase> {};

TEST_P(NormalizeTest, GivesFormAndCount) {
    std::string text = GetParam().text;
    std::int32_t wordCount = -1;
    Normalize(&text, &wordCount);
    EXPECT_EQ(text, GetParam().normalised);
    EXPECT_EQ(wordCount, GetParam().wordCount);
}

INSTANTIATE_TEST_SUITE_P(EmptyAndStopWordsOnly, NormalizeTest,
                         ::testing::Values(NormalizeCase{"", " ", 0}, NormalizeCase{"   ", " ", 0},
                                           NormalizeCase{",.;!?", " ", 0},
                                           NormalizeCase{"the of and a to", " ", 0},
                                           NormalizeCase{"Please tell me, agent, does u r", " ", 0},
                                           NormalizeCase{"I am, you are", " AM ", 1},
                                           NormalizeCase{"it's", " ", 0}));

INSTANTIATE_TEST_SUITE_P(
    WordsAndRepeats, NormalizeTest,
    ::testing::Values(NormalizeCase{"Hello,  hello!", " HELLO HELLO ", 2},
                      NormalizeCase{"Good morning!", " GOOD MORNING ", 2},
                      NormalizeCase{"what does quib stand for", " WHAT QUIB STAND ", 3},
                      NormalizeCase{"R2D2 has 42 things", " R2D2 42 THINGS ", 3},
                      NormalizeCase{"  spaced   out  ", " SPACED OUT ", 2}));

INSTANTIATE_TEST_SUITE_P(Apostrophes, NormalizeTest,
                         ::testing::Values(NormalizeCase{"What's up?", " WHAT UP ", 2},
                                           NormalizeCase{"don't stop", " DON STOP ", 2},
                                           NormalizeCase{"I'm here", " HERE ", 1},
                                           NormalizeCase{"'quoted' word", " WORD ", 1},
                                           NormalizeCase{"don\xE2\x80\x99t", " DONT ", 1}));

INSTANTIATE_TEST_SUITE_P(DroppedBytesJoinWords, NormalizeTest,
                         ::testing::Values(NormalizeCase{"good,morning", " GOODMORNING ", 1},
                                           NormalizeCase{"good\r\nmorning", " GOODMORNING ", 1},
                                           NormalizeCase{"good\tmorning", " GOODMORNING ", 1},
                                           NormalizeCase{"caf\xC3\xA9 ol\xE9", " CAF OL ", 2},
                                           NormalizeCase{std::string("a\0b c", 5), " AB C ", 2}));

TEST(CapitalizeTest, UpperCasesOnlyAFirstLetterAToZ) {
    std::string text = "yes please";
    Capitalize(&text);
    EXPECT_EQ(text, "Yes please");

    for (std::string unchanged : {"42 things", "Yes", "\xE9t\xE9", "!x", " lead"}) {
        std::string copy = unchanged;
        Capitalize(&copy);
        EXPECT_EQ(copy, unchanged);
    }
}

}  // namespace
}  // namespace wobbet
