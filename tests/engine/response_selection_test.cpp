#include <sstream>

#include "tests/engine/engine_fixture.h"

namespace wobbet::testing {
namespace {

struct SelectionCase {
    const char* name;
    bool seeded;  // the built-in records first
    const char* replies;
    const char* keywords;
    const char* lastResponse;
    bool context;
    const char* phrase;
    // One tie draw per group, then the learn draw; the test fails on one more or one fewer.
    const char* draws;
    std::int32_t index;
    bool learn;
};

class SelectionTest : public EngineTest, public ::testing::WithParamInterface<SelectionCase> {};

TEST_P(SelectionTest, PicksTheRecordAndDecidesWhetherToLearn) {
    const SelectionCase& selection = GetParam();
    if (selection.seeded) {
        engine.Knowledge().LoadSeedTables();
    }
    Append(engine.Knowledge(), selection.replies, selection.keywords);
    Remember(selection.lastResponse);
    host.context = selection.context;
    std::istringstream draws(selection.draws);
    for (int draw = 0; draws >> draw;) {
        random.numbers.push_back(draw);
    }
    std::string phrase = selection.phrase;
    std::int32_t wordCount = 0;
    rules.Normalize(&phrase, &wordCount);
    bool learn = !selection.learn;

    EXPECT_EQ(engine.SelectResponse(phrase, wordCount, &learn), selection.index);
    EXPECT_EQ(learn, selection.learn);
    EXPECT_TRUE(random.numbers.empty());
}

// 10922 draws just below 1/3, 10923 just above; with Context a full match without context hits
// scores 1/2; 32767 draws a tie value of 1 once stored at 32 bits, a context hit that never was.
INSTANTIATE_TEST_SUITE_P(
    Cases, SelectionTest,
    ::testing::Values(
        SelectionCase{"OneWordOfThreeConfident", true, "", "", "", false, "good morning everybody",
                      "0 0 0 0 0 0 0 10922", 0, false},
        SelectionCase{"OneWordOfThreeUnsure", true, "", "", "", false, "good morning everybody",
                      "0 0 0 0 0 0 0 10923", 0, true},
        SelectionCase{"ContextHalvesBelow", true, "", "", "Hello.", true, "hello",
                      "0 0 0 0 0 0 0 16383", 0, false},
        SelectionCase{"ContextHalvesAbove", true, "", "", "Hello.", true, "hello",
                      "0 0 0 0 0 0 0 16384", 0, true},
        SelectionCase{"TopDrawStaysBelowAFullScore", true, "", "", "Hello.", false, "hello",
                      "0 0 0 0 0 0 0 32767", 0, false},
        // Score 0 learns even on a draw of 0; 0/0 from the context term never would.
        SelectionCase{"PlainFormulaWhenThePreviousReplyHadNoWords", false, "Cat.;", "CAT;;", "the",
                      true, "zebra", "0 0", 0, true},
        SelectionCase{"PhraseAndPreviousReplyCoveredWhole", false, "Full.;",
                      "HELLO;WORLD;!;GOOD;DAY;;", "Good day", true, "hello world", "0 32767", 0,
                      false},
        // The first group would win on its higher draw if its repeat counted twice.
        SelectionCase{"RepeatedKeywordCountsOnce", false, "Repeats.;Both.;", "CAR;CAR;;CAR;BUS;;",
                      "", false, "car bus", "30000 0 0", 1, false},
        // A context hit would lift the first group's tie value above the second's.
        SelectionCase{"KeywordInBothSectionsCountsAsPrimary", false, "Both.;Plain.;",
                      "HELLO;!;HELLO;;HELLO;;", "Hello.", true, "hello", "0 100 0", 1, false},
        // The context hit wins and counts in the score: (1/1 + 0) / (1 + 1).
        SelectionCase{"WithoutHitsTheContextMatchWins", false, "Context.;High.;",
                      "A;!;HELLO;HELLO;;B;;", "Hello.", true, "zebra", "0 32000 16383", 0, false},
        SelectionCase{"TieGoesToTheHigherDraw", false, "First.;Second.;", "CAT;;CAT;;", "", false,
                      "cat", "5 6 0", 1, false},
        SelectionCase{"EqualDrawsGoToTheEarlierGroup", false, "First.;Second.;", "CAT;;CAT;;", "",
                      false, "cat", "7 7 0", 0, false},
        SelectionCase{"EntriesAfterTheLastTerminatorAreNeverScored", false, "Empty.;", ";HELLO;",
                      "", false, "hello", "0 0", 0, true},
        SelectionCase{"EntriesAreMatchedAsPlainStrings", false, "Lower.;Run.;",
                      "hello;;GOOD MORNING;;", "", false, "hello good morning", "9000 0 0", 1,
                      false},
        // (1/2 + 1) / 2 rather than 1/2.
        SelectionCase{"TopDrawRoundsUpToAContextHit", false, "Hello.;", "HELLO;;", "Something else",
                      true, "hello", "32767 24000", 0, false},
        SelectionCase{"DrawBelowTheTopDoesNotRoundUp", false, "Hello.;", "HELLO;;",
                      "Something else", true, "hello", "32766 24000", 0, true},
        SelectionCase{"OneDrawPerGroupAndOneMore", true, "Extra.;", "EXTRA;!;MORE;;", "", true,
                      "nothing known", "1 1 1 1 1 1 1 1 1", 0, true}),
    kRowName);

}  // namespace
}  // namespace wobbet::testing
