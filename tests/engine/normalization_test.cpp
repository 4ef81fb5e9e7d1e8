#include "engine/normalization.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "engine/conversation_engine.h"
#include "engine/learned_records.h"
#include "tests/support/knowledge_records.h"
#include "tests/support/recording_host.h"
#include "tests/support/scripted_random.h"
#ifdef WOBBET_UNICODE_TEXT
#include "app/unicode_text/unicode_text_rules.h"
#endif

namespace wobbet::testing {
namespace {

// A text and what each rule makes of it.
struct Text {
    std::string text;
    std::string byByte;
    std::string byUnicode;
};

struct Rules {
    const char* name;
    std::unique_ptr<TextRules> rules;
    std::string Text::*expected;
};

// The Windows program reads bytes only; the Linux ones read UTF-8.
std::vector<Rules> RulesUnderTest() {
    std::vector<Rules> rules;
    rules.push_back({"bytes", std::make_unique<ByteTextRules>(), &Text::byByte});
#ifdef WOBBET_UNICODE_TEXT
    rules.push_back({"UTF-8", std::make_unique<UnicodeTextRules>(), &Text::byUnicode});
#endif
    return rules;
}

TEST(TextRulesTest, NormaliseEachPhraseAndCapitaliseEachReplyUnderEachRule) {
    const std::vector<Text> phrases = {
        // No word left.
        {"", " |0", " |0"},
        {" ,.;!? ", " |0", " |0"},
        {"the of and a to", " |0", " |0"},
        {"Please tell me, agent, does u r", " |0", " |0"},
        {"it's", " |0", " |0"},
        // Words, repeats and digits.
        {"I am, you are", " AM |1", " AM |1"},
        {"Hello,  hello!", " HELLO HELLO |2", " HELLO HELLO |2"},
        {"R2D2 has 42 things", " R2D2 42 THINGS |3", " R2D2 42 THINGS |3"},
        // An apostrophe cuts the rest of its word; the typographic one is dropped.
        {"What's up?", " WHAT UP |2", " WHAT UP |2"},
        {"'quoted' word", " WORD |1", " WORD |1"},
        {"don't stop", " DON STOP |2", " DON STOP |2"},
        {"don’t", " DONT |1", " DONT |1"},
        // Only the space separates words; other characters are dropped, joining what they split.
        {"good,morning", " GOODMORNING |1", " GOODMORNING |1"},
        {"good\r\nmorning\tnow", " GOODMORNINGNOW |1", " GOODMORNINGNOW |1"},
        {"wide　space", " WIDESPACE |1", " WIDE SPACE |2"},
        {std::string("a\0b c\0", 6), " AB C |2", " AB C |2"},
        // Letters of every script, composed alike and upper-cased in full.
        {"Très bien, merci", " TRS BIEN MERCI |3", " TRÈS BIEN MERCI |3"},
        {"Straße", " STRAE |1", " STRASSE |1"},
        {"cafe\u0301", " CAFE |1", " CAFÉ |1"},
        {"Привет, как дела?", " |0", " ПРИВЕТ КАК ДЕЛА |3"},
        {"ｆｕｌｌ ｗｉｄｔｈ", " |0", " FULL WIDTH |2"},
        {"你好 世界", " |0", " 你好 世界 |2"},
        {"ıi İstanbul", " STANBUL |1", " II İSTANBUL |2"},
        {"λόγος σοφός", " |0", " ΛΌΓΟΣ ΣΟΦΌΣ |2"},
        {"\u0390 \u03AA\u0301", " |0", " \u03AA\u0301 \u03AA\u0301 |2"},
        {"𝐇𝐞𝐥𝐥𝐨 😀 ok", " OK |1", " HELLO OK |2"},
        // Bytes of ill-formed sequences, surrogates among them, are dropped.
        {"caf\xC3\xA9 ol\xE9", " CAF OL |2", " CAFÉ OL |2"},
        {"ab\xFF\xFE"
         "cd \xC0\xAFx \xED\xA0\x80y",
         " ABCD X Y |3", " ABCD X Y |3"}};
    // Only the first character is upper-cased, when it is well-formed.
    const std::vector<Text> replies = {{"yes please", "Yes please", "Yes please"},
                                       {"`a", "`a", "`a"},
                                       {"", "", ""},
                                       {"élan", "élan", "Élan"},
                                       {"ßa", "ßa", "SSa"},
                                       {"\xE9t\xE9", "\xE9t\xE9", "\xE9t\xE9"}};
    for (const Rules& rule : RulesUnderTest()) {
        for (const Text& phrase : phrases) {
            std::string normalised = phrase.text;
            std::int32_t wordCount = -1;
            rule.rules->Normalize(&normalised, &wordCount);
            EXPECT_EQ(normalised + "|" + std::to_string(wordCount), phrase.*rule.expected)
                << rule.name << ": " << phrase.text;
        }
        for (const Text& reply : replies) {
            std::string capitalized = reply.text;
            rule.rules->Capitalize(&capitalized);
            EXPECT_EQ(capitalized, reply.*rule.expected) << rule.name << ": " << reply.text;
        }
    }
}

TEST(TextRulesTest, AnEngineLearnsAndFiltersByItsRules) {
    // The record learned, then how many records each filter finds.
    const Text expected{"", "élan vital;|STRASSE;!;;001", "Élan vital;|STRASSE;!;;111"};
    for (const Rules& rule : RulesUnderTest()) {
        RecordingHost host;
        ScriptedRandom random;
        ConversationEngine engine(host, random, *rule.rules);
        engine.Knowledge().LoadSeedTables();
        engine.Memory().LastResponse = " STRASSE ";
        engine.Learn("élan vital");
        std::string found;
        for (const char* filter : {"straße", "ÉLAN", "strasse élan"}) {
            found += std::to_string(
                FilterLearnedRecords(engine.Knowledge(), filter, engine.Rules()).size());
        }
        EXPECT_EQ(Learned(engine.Knowledge()) + found, expected.*rule.expected) << rule.name;
    }
}

#ifdef WOBBET_UNICODE_TEXT
TEST(UnicodeTextRulesTest, LongRunsOfMarksOfTwoClassesMakeOneWordInLinearTime) {
    std::string phrase = "a";
    for (int i = 0; i < 500'000; ++i) {
        phrase += "\u0301\u0316";
    }
    std::int32_t wordCount = 0;
    UnicodeTextRules().Normalize(&phrase, &wordCount);
    EXPECT_EQ(phrase.substr(0, 3) + std::to_string(wordCount), " Á1");
    EXPECT_EQ(phrase.find("\u034F"), std::string::npos);
}
#endif

}  // namespace
}  // namespace wobbet::testing
