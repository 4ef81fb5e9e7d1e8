#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/engine/engine_fixture.h"
#include "tests/support/case_table.h"
#include "tests/support/knowledge_records.h"

namespace wobbet::testing {
namespace {

using testing::PrintTo;

struct LearningCase {
    const char* name;
    const char* lastResponse;
    const char* lastInput;
    bool context;
    std::string reply;
    std::string stored;
    std::vector<std::string> keywords;
};

class LearningTest : public EngineTest, public ::testing::WithParamInterface<LearningCase> {};

TEST_P(LearningTest, StoresTheReplyKeyedOnThePreviousReply) {
    const LearningCase& learning = GetParam();
    Remember(learning.lastResponse, learning.lastInput);
    host.context = learning.context;

    engine.Learn(learning.reply);

    EXPECT_THAT(ResponsesFrom(engine.Knowledge(), 0), ::testing::ElementsAre(learning.stored));
    EXPECT_EQ(KeywordsFrom(engine.Knowledge(), 0), learning.keywords);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LearningTest,
    ::testing::Values(
        LearningCase{
            "EmptyMemoryWithContext", "", "", true, "nice weather", "Nice weather", {"!", ""}},
        LearningCase{
            "EmptyMemoryWithoutContext", "", "", false, "nice weather", "Nice weather", {""}},
        LearningCase{"KeyedOnThePreviousReply",
                     "What do you want to talk about?",
                     "Hello",
                     false,
                     "cars",
                     "Cars",
                     {"WHAT", "WANT", "TALK", ""}},
        LearningCase{"WithThePhraseBeforeItAsContext",
                     "What do you want to talk about?",
                     "Hello sailor",
                     true,
                     "boats",
                     "Boats",
                     {"WHAT", "WANT", "TALK", "!", "HELLO", "SAILOR", ""}},
        LearningCase{
            "RepeatsKept", "Hello hello", "", false, "again", "Again", {"HELLO", "HELLO", ""}},
        // Stored as typed but for a first letter a to z, and any line break becomes one space.
        LearningCase{"FirstByteNotALetter", "", "", false, "\xE9t\xE9 3", "\xE9t\xE9 3", {""}},
        LearningCase{
            "LineBreaks", "", "", false, "one\r\ntwo\nthree\rfour", "One two three four", {""}},
        LearningCase{"OnlyLineBreaks", "", "", false, "\r\n\r\rx\n", "   x ", {""}}),
    kRowName);

}  // namespace
}  // namespace wobbet::testing
