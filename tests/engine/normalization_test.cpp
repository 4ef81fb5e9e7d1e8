#include "engine/normalization.h"

#include <gtest/gtest.h>

namespace wobbet {
namespace {

struct NormalizeCase {
    std::string text;
    std::string normalised;
    std::int32_t wordCount;
};

void PrintTo(const NormalizeCase& normalize, std::ostream* out) {
    *out << ::testing::PrintToString(normalize.text);
}

class NormalizeTest : public ::testing::TestWithParam<NormalizeCase> {};

TEST_P(NormalizeTest, GivesFormAndCount) {
    std::string text = GetParam().text;
    std::int32_t wordCount = -1;
    Normalize(&text, &wordCount);
    EXPECT_EQ(text, GetParam().normalised);
    EXPECT_EQ(wordCount, GetParam().wordCount);
}

INSTANTIATE_TEST_SUITE_P(
    Phrases, NormalizeTest,
    ::testing::Values(
        // No word left.
        NormalizeCase{"", " ", 0}, NormalizeCase{" ,.;!? ", " ", 0},
        NormalizeCase{"the of and a to", " ", 0},
        NormalizeCase{"Please tell me, agent, does u r", " ", 0}, NormalizeCase{"it's", " ", 0},
        // Words, repeats and digits.
        NormalizeCase{"I am, you are", " AM ", 1},
        NormalizeCase{"Hello,  hello!", " HELLO HELLO ", 2},
        NormalizeCase{"what does quib stand for", " WHAT QUIB STAND ", 3},
        NormalizeCase{"R2D2 has 42 things", " R2D2 42 THINGS ", 3},
        // An apostrophe cuts the rest of its word; the typographic one is three dropped bytes.
        NormalizeCase{"What's up?", " WHAT UP ", 2}, NormalizeCase{"don't stop", " DON STOP ", 2},
        NormalizeCase{"'quoted' word", " WORD ", 1}, NormalizeCase{"don\xE2\x80\x99t", " DONT ", 1},
        // Only the space separates words; other bytes are dropped, joining what they split.
        NormalizeCase{"good,morning", " GOODMORNING ", 1},
        NormalizeCase{"good\r\nmorning\tnow", " GOODMORNINGNOW ", 1},
        NormalizeCase{"caf\xC3\xA9 ol\xE9", " CAF OL ", 2},
        NormalizeCase{std::string("a\0b c\0", 6), " AB C ", 2}));

TEST(CapitalizeTest, UpperCasesOnlyAFirstLetterAToZ) {
    for (const auto& [text, expected] :
         std::vector<std::pair<std::string, std::string>>{{"yes please", "Yes please"},
                                                          {"zed", "Zed"},
                                                          {"42 things", "42 things"},
                                                          {"\xE9t\xE9", "\xE9t\xE9"},
                                                          {"!x", "!x"},
                                                          {" lead", " lead"},
                                                          {"", ""}}) {
        std::string copy = text;
        Capitalize(&copy);
        EXPECT_EQ(copy, expected);
    }
}

}  // namespace
}  // namespace wobbet
