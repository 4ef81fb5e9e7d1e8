#include <gtest/gtest.h>

#include "tests/engine/engine_fixture.h"

namespace wobbet::testing {
namespace {

using SelectionTest = EngineTest;

TEST_F(SelectionTest, WorkedExampleLearnsWhenTheDrawReachesOneThird) {
    Seed();
    host.context = false;
    // 10922 gives a fraction just below 1/3, 10923 one just above.
    random.PushRepeated(0, 7);
    random.Push(10922);
    random.PushRepeated(0, 7);
    random.Push(10923);

    const Selected confident = Select("good morning everybody");
    EXPECT_EQ(confident.index, 0);
    EXPECT_FALSE(confident.learn);
    const Selected unsure = Select("good morning everybody");
    EXPECT_EQ(unsure.index, 0);
    EXPECT_TRUE(unsure.learn);
    EXPECT_EQ(random.Remaining(), 0u);
}

TEST_F(SelectionTest, ContextTermHalvesAFullMatchAndIsIgnoredWhenOff) {
    Seed();
    Remember("Hello.");
    // Score 1/2: 16383 gives a fraction below one half, 16384 one above.
    random.PushRepeated(0, 7);
    random.Push(16383);
    random.PushRepeated(0, 7);
    random.Push(16384);
    EXPECT_FALSE(Select("hello").learn);
    EXPECT_TRUE(Select("hello").learn);

    host.context = false;
    random.PushRepeated(0, 7);
    random.Push(RandomGenerator::kMax);
    EXPECT_FALSE(Select("hello").learn);
}

TEST_F(SelectionTest, PlainFormulaWhenThePreviousReplyHadNoWords) {
    Seed();
    Remember("");
    random.PushRepeated(0, 7);
    random.Push(RandomGenerator::kMax);
    EXPECT_FALSE(Select("hello").learn);
}

TEST_F(SelectionTest, FullCoverageOfPhraseAndPreviousReplyScoresOne) {
    AddRecord("Full.", {"HELLO", "WORLD", "!", "GOOD", "DAY"});
    Remember("Good day");
    random.Push(0);
    random.Push(RandomGenerator::kMax);
    const Selected selected = Select("hello world");
    EXPECT_EQ(selected.index, 0);
    EXPECT_FALSE(selected.learn);
}

TEST_F(SelectionTest, RepeatedKeywordCountsOnce) {
    AddRecord("Repeats.", {"CAR", "CAR"});
    AddRecord("Both.", {"CAR", "BUS"});
    // The first group draws the higher tie value: it would win if its repeat counted twice.
    random.Push(30000);
    random.Push(0);
    random.Push(0);
    EXPECT_EQ(Select("car bus").index, 1);
}

TEST_F(SelectionTest, KeywordInBothSectionsCountsOnlyAsPrimary) {
    AddRecord("Both sections.", {"HELLO", "!", "HELLO"});
    AddRecord("Plain.", {"HELLO"});
    Remember("Hello.");
    // A context hit would lift the first group's tie value above the second's.
    random.Push(0);
    random.Push(100);
    random.Push(0);
    EXPECT_EQ(Select("hello").index, 1);
}

TEST_F(SelectionTest, WithoutHitsTheBestContextMatchWins) {
    AddRecord("Context.", {"A", "!", "HELLO", "HELLO"});
    AddRecord("Drawn high.", {"B"});
    Remember("Hello.");
    random.Push(0);
    random.Push(32000);
    random.Push(16383);
    // The context hit also counts in the score: (1/1 + 0) / (1 + 1).
    const Selected selected = Select("zebra");
    EXPECT_EQ(selected.index, 0);
    EXPECT_FALSE(selected.learn);
}

TEST_F(SelectionTest, TiesGoToTheHigherDrawAndThenToTheEarlierGroup) {
    AddRecord("First.", {"CAT"});
    AddRecord("Second.", {"CAT"});
    random = ScriptedRandom{5, 6, 0, 7, 7, 0};
    EXPECT_EQ(Select("cat").index, 1);
    EXPECT_EQ(Select("cat").index, 0);
}

TEST_F(SelectionTest, EntriesAfterTheLastTerminatorAreNeverScored) {
    AddRecord("Empty.", {});
    engine.Knowledge().AppendKeyword("HELLO");
    random = ScriptedRandom{0, 0};
    const Selected selected = Select("hello");
    EXPECT_EQ(selected.index, 0);
    EXPECT_TRUE(selected.learn);
    EXPECT_EQ(random.Draws(), 2);
}

TEST_F(SelectionTest, EntriesAreMatchedAsPlainStrings) {
    AddRecord("Lower.", {"hello"});
    AddRecord("Run of words.", {"GOOD MORNING"});
    random = ScriptedRandom{9000, 0, 0};
    EXPECT_EQ(Select("hello good morning").index, 1);
}

TEST_F(SelectionTest, TopDrawRoundsTheStoredTieUpToAWholeContextHit) {
    AddRecord("Hello.", {"HELLO"});
    Remember("Something else");
    host.context = true;
    // Stored as a float, 0 + 32767 * (1/32767) becomes 1.0: one context hit that was never
    // counted, so the score is (1/2 + 1) / 2 = 0.75 rather than 0.5.
    random = ScriptedRandom{RandomGenerator::kMax, 24000, 32766, 24000};
    EXPECT_FALSE(Select("hello").learn);
    EXPECT_TRUE(Select("hello").learn);
}

TEST_F(SelectionTest, DrawsOncePerGroupAndOnceMore) {
    Seed();
    AddRecord("Extra.", {"EXTRA", "!", "MORE"});
    random.PushRepeated(100, 9);
    Select("nothing known here");
    EXPECT_EQ(random.Draws(), 9);
    EXPECT_EQ(random.Remaining(), 0u);
}

}  // namespace
}  // namespace wobbet::testing
