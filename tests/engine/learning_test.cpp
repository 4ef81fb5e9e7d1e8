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
    const char* reply;
    const char* learned;
};

class LearningTest : public EngineTest, public ::testing::WithParamInterface<LearningCase> {};

TEST_P(LearningTest, StoresTheReplyKeyedOnThePreviousReply) {
    Remember(GetParam().lastResponse, GetParam().lastInput);
    host.context = GetParam().context;
    engine.Learn(GetParam().reply);
    EXPECT_EQ(Learned(engine.Knowledge(), 0, 0), GetParam().learned);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LearningTest,
    ::testing::Values(
        LearningCase{"EmptyMemory", "", "", true, "nice weather", "Nice weather;|!;;"},
        LearningCase{"EmptyMemoryWithoutContext", "", "", false, "nice", "Nice;|;"},
        LearningCase{"KeyedOnThePreviousReply", "What do you want to talk about?", "Hello", false,
                     "cars", "Cars;|WHAT;WANT;TALK;;"},
        LearningCase{"WithThePhraseBeforeAsContext", "What do you want to talk about?",
                     "Hello sailor", true, "boats", "Boats;|WHAT;WANT;TALK;!;HELLO;SAILOR;;"},
        LearningCase{"RepeatsKept", "Hello hello", "", false, "again", "Again;|HELLO;HELLO;;"},
        // As typed but for a first letter a to z, and each line break becomes one space.
        LearningCase{"FirstByteNotALetter", "", "", false, "\xE9t\xE9 3", "\xE9t\xE9 3;|;"},
        LearningCase{"LineBreaks", "", "", false, "one\r\ntwo\nthree\rfour",
                     "One two three four;|;"},
        LearningCase{"OnlyLineBreaks", "", "", false, "\r\n\r\rx\n", "   x ;|;"}),
    kRowName);

}  // namespace
}  // namespace wobbet::testing
