#include "engine/normalization.h"

#include <gtest/gtest.h>

namespace wobbet {
namespace {

TEST(NormalizeTest, GivesFormAndWordCount) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        // No word left.
        {"", " |0"},
        {" ,.;!? ", " |0"},
        {"the of and a to", " |0"},
        {"Please tell me, agent, does u r", " |0"},
        {"it's", " |0"},
        // Words, repeats and digits.
        {"I am, you are", " AM |1"},
        {"Hello,  hello!", " HELLO HELLO |2"},
        {"R2D2 has 42 things", " R2D2 42 THINGS |3"},
        // An apostrophe cuts the rest of its word; the typographic one is three dropped bytes.
        {"What's up?", " WHAT UP |2"},
        {"'quoted' word", " WORD |1"},
        {"don\xE2\x80\x99t", " DONT |1"},
        // Only the space separates words; other bytes are dropped, joining what they split.
        {"good,morning", " GOODMORNING |1"},
        {"good\r\nmorning\tnow", " GOODMORNINGNOW |1"},
        {"caf\xC3\xA9 ol\xE9", " CAF OL |2"},
        {std::string("a\0b c\0", 6), " AB C |2"}};
    for (const auto& [text, expected] : cases) {
        std::string normalised = text;
        std::int32_t wordCount = -1;
        Normalize(&normalised, &wordCount);
        EXPECT_EQ(normalised + "|" + std::to_string(wordCount), expected)
            << ::testing::PrintToString(text);
    }
}

TEST(CapitalizeTest, UpperCasesOnlyAFirstLetterAToZ) {
    std::string capitalized;
    for (std::string text : {"yes please", "zed", "42", "\xE9t\xE9", "`a", "{a", " lead", ""}) {
        Capitalize(&text);
        capitalized += text + "|";
    }
    EXPECT_EQ(capitalized, "Yes please|Zed|42|\xE9t\xE9|`a|{a| lead||");
}

}  // namespace
}  // namespace wobbet
