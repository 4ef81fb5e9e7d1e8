#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/engine/engine_fixture.h"
#include "tests/support/knowledge_dump.h"

namespace wobbet::testing {
namespace {

using ::testing::ElementsAre;
using LearningTest = EngineTest;

TEST_F(LearningTest, EmptyMemoryWithContextGivesOnlyTheMarkerAndTerminator) {
    Seed();
    engine.Learn("nice weather");
    EXPECT_THAT(ResponsesFrom(engine.Knowledge(), 7), ElementsAre("Nice weather"));
    EXPECT_THAT(KeywordsFrom(engine.Knowledge(), 44), ElementsAre("!", ""));
}

TEST_F(LearningTest, KeysOnThePreviousReplyAndAddsThePhraseBeforeItAsContext) {
    Seed();
    Remember("What do you want to talk about?", "Hello");
    host.context = false;
    engine.Learn("cars");
    host.context = true;
    engine.Learn("boats");
    EXPECT_THAT(ResponsesFrom(engine.Knowledge(), 7), ElementsAre("Cars", "Boats"));
    EXPECT_THAT(KeywordsFrom(engine.Knowledge(), 44),
                ElementsAre("WHAT", "WANT", "TALK", "", "WHAT", "WANT", "TALK", "!", "HELLO", ""));
}

TEST_F(LearningTest, StoresRepliesAsTypedButForTheFirstLetter) {
    engine.Learn("Already capital");
    engine.Learn("3 things");
    engine.Learn("   ");
    engine.Learn("\xE9t\xE9");
    EXPECT_THAT(ResponsesFrom(engine.Knowledge(), 0),
                ElementsAre("Already capital", "3 things", "   ", "\xE9t\xE9"));
}

TEST_F(LearningTest, LineBreaksInAReplyBecomeSingleSpaces) {
    engine.Learn("one\r\ntwo\nthree\rfour");
    engine.Learn("\r\n\r\rx\n");
    EXPECT_THAT(ResponsesFrom(engine.Knowledge(), 0), ElementsAre("One two three four", "   x "));
}

TEST_F(LearningTest, KeepsRepeatedWordsAndDuplicateRecords) {
    Remember("Hello hello");
    host.context = false;
    engine.Learn("again");
    engine.Learn("again");
    EXPECT_THAT(ResponsesFrom(engine.Knowledge(), 0), ElementsAre("Again", "Again"));
    EXPECT_THAT(KeywordsFrom(engine.Knowledge(), 0),
                ElementsAre("HELLO", "HELLO", "", "HELLO", "HELLO", ""));
}

}  // namespace
}  // namespace wobbet::testing
