#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/engine/engine_fixture.h"
#include "tests/support/knowledge_dump.h"

namespace wobbet::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class TurnTest : public EngineTest {
protected:
    void SetUp() override { Seed(); }

    void Say(const std::string& text) {
        host.inputs.push_back(text);
        engine.OnSay();
    }

    void Teach(std::string phrase, std::string reply, int result = TeachDialogResult::kOk) {
        host.teachDialogs.push_back({result, std::move(phrase), std::move(reply)});
        engine.OnTeach();
    }

    // A Say that no record knows, with Context off: score 0, so it always learns.
    void SayUnknown(const std::string& text, int tieDraw = 0) {
        random.PushRepeated(tieDraw, GroupCount());
        random.Push(0);
        Say(text);
    }

    std::size_t GroupCount() const {
        std::size_t groups = 0;
        for (std::size_t i = 0; i < engine.Knowledge().KeywordCount(); ++i) {
            if (engine.Knowledge().Keyword(i).empty()) {
                ++groups;
            }
        }
        return groups;
    }
};

TEST_F(TurnTest, GoodMorningThenFineThanks) {
    // First turn: record 0 wins with score 1/2 and the learn draw stays below it.
    random.PushRepeated(0, 7);
    random.Push(100);
    Say("Good morning!");
    // Second turn: nothing matches, record 3 draws the highest tie value, the score is 0.
    random = ScriptedRandom{10, 20, 30, 31000, 40, 50, 60, 12345};
    Say("Fine, thanks");

    EXPECT_THAT(host.calls,
                ElementsAre("PrepareCharacter", "ReadInput", "ClearInput", "Display Hello.",
                            "PlayAnimation Pleased", "PrepareCharacter", "ReadInput", "ClearInput",
                            "PlayAnimation Acknowledge", "Display I feel great."));
    EXPECT_THAT(ResponsesFrom(engine.Knowledge(), 7), ElementsAre("Fine, thanks"));
    EXPECT_THAT(KeywordsFrom(engine.Knowledge(), 44),
                ElementsAre("HELLO", "!", "GOOD", "MORNING", ""));
    EXPECT_EQ(engine.Knowledge().ResponseCount(), 8u);
    EXPECT_EQ(engine.Knowledge().KeywordCount(), 49u);
    EXPECT_EQ(engine.Memory().LastResponse, " FEEL GREAT ");
    EXPECT_EQ(engine.Memory().LastResponseWords, 2);
    EXPECT_EQ(engine.Memory().LastInput, " FINE THANKS ");
    EXPECT_EQ(engine.Mood(), 1);
    EXPECT_EQ(random.Remaining(), 0u);
}

TEST_F(TurnTest, HelloOnTheFirstTurnIsConfidentAndPleased) {
    random.PushRepeated(0, 7);
    random.Push(RandomGenerator::kMax);
    Say("hello");
    EXPECT_THAT(host.calls, ElementsAre("PrepareCharacter", "ReadInput", "ClearInput",
                                        "Display Hello.", "PlayAnimation Pleased"));
    EXPECT_EQ(engine.Memory().LastResponse, " HELLO ");
    EXPECT_EQ(engine.Memory().LastResponseWords, 1);
    EXPECT_EQ(engine.Memory().LastInput, " HELLO ");
    EXPECT_EQ(engine.Mood(), 2);
}

TEST_F(TurnTest, EmptyPhraseGetsTheInstructionAndChangesNothing) {
    Remember("Hello.", "Hi");
    for (const char* text : {"", "  ,!", "the of and"}) {
        host.calls.clear();
        Say(text);
        EXPECT_THAT(host.calls,
                    ElementsAre("PrepareCharacter", "ReadInput", "ClearInput",
                                "Display Type something in the text box.  Then click the 'Say' "
                                "button."));
    }
    EXPECT_EQ(random.Draws(), 0);
    EXPECT_EQ(engine.Memory().LastResponse, " HELLO ");
    EXPECT_EQ(engine.Memory().LastInput, " HI ");
    EXPECT_EQ(engine.Knowledge().ResponseCount(), 7u);
    EXPECT_EQ(engine.Mood(), 1);
}

TEST_F(TurnTest, MoodFallsToSadAndStaysWithinItsRange) {
    host.context = false;
    random.PushRepeated(0, 7);
    random.Push(0);
    Say("hello");
    ASSERT_EQ(engine.Mood(), 2);

    host.calls.clear();
    SayUnknown("zebra");
    EXPECT_EQ(engine.Mood(), 1);
    EXPECT_THAT(host.calls, ElementsAre("PrepareCharacter", "ReadInput", "ClearInput",
                                        "PlayAnimation Acknowledge", "Display Hello."));
    host.calls.clear();
    SayUnknown("giraffe");
    EXPECT_EQ(engine.Mood(), 0);
    EXPECT_EQ(host.calls.back(), "PlayAnimation Sad");
    // At mood 0 the reply is drawn from all replies, the one just learned included.
    host.calls.clear();
    random.PushRepeated(0, GroupCount());
    random.Push(0);
    random.Push(static_cast<int>(engine.Knowledge().ResponseCount()));
    Say("okapi");
    EXPECT_EQ(engine.Mood(), 0);
    EXPECT_THAT(host.calls, ElementsAre("PrepareCharacter", "ReadInput", "ClearInput",
                                        "PlayAnimation Acknowledge", "Display Okapi"));
}

TEST_F(TurnTest, ConfidentTurnsRaiseTheMoodOnlyToTwo) {
    for (int turn = 0; turn < 3; ++turn) {
        random.PushRepeated(0, 7);
        random.Push(0);
        Say("bye");
    }
    EXPECT_EQ(engine.Mood(), 2);
    EXPECT_EQ(std::count(host.calls.begin(), host.calls.end(), "PlayAnimation Pleased"), 1);
}

TEST_F(TurnTest, GroupWithoutAReplyShowsTheMisalignmentMessage) {
    for (const char* keyword : {"ZEBRA", "", "YAK", ""}) {
        engine.Knowledge().AppendKeyword(keyword);
    }
    Remember("Hello.", "Hi");
    host.context = false;
    random.PushRepeated(0, 9);
    random.Push(0);
    Say("zebra");
    EXPECT_THAT(host.calls, ElementsAre("PrepareCharacter", "ReadInput", "ClearInput",
                                        "ShowMessage Storage error: Space misalignment."));
    EXPECT_EQ(engine.Memory().LastResponse, " HELLO ");
    EXPECT_EQ(engine.Memory().LastInput, " HI ");
    EXPECT_EQ(engine.Mood(), 1);

    // A learning turn whose winner has no reply learns, then reports instead of reading past
    // the table.
    host.calls.clear();
    random.PushRepeated(0, 8);
    random.Push(100);
    random.Push(RandomGenerator::kMax);
    Say("unknown words");
    EXPECT_THAT(host.calls, ElementsAre("PrepareCharacter", "ReadInput", "ClearInput",
                                        "PlayAnimation Acknowledge",
                                        "ShowMessage Storage error: Space misalignment."));
    EXPECT_EQ(engine.Knowledge().ResponseCount(), 8u);
    EXPECT_EQ(engine.Mood(), 1);
}

TEST_F(TurnTest, TeachStoresThePairClearsContextAndMemory) {
    Remember("Hello.", "Hi");
    Teach("What is your name?", "wobbet\r\nthe bot");
    EXPECT_THAT(host.calls,
                ElementsAre("RunTeachDialog", "SetContextEnabled 0", "PlayAnimation Acknowledge"));
    EXPECT_THAT(ResponsesFrom(engine.Knowledge(), 7), ElementsAre("Wobbet the bot"));
    EXPECT_THAT(KeywordsFrom(engine.Knowledge(), 44), ElementsAre("WHAT", "NAME", ""));
    EXPECT_THAT(engine.Memory().LastResponse, IsEmpty());
    EXPECT_THAT(engine.Memory().LastInput, IsEmpty());
    EXPECT_EQ(engine.Memory().LastResponseWords, 1);
    EXPECT_EQ(engine.Mood(), 1);

    // Every word of the phrase is distinct, so the taught record wins outright.
    host.calls.clear();
    random.PushRepeated(0, 8);
    random.Push(RandomGenerator::kMax);
    Say("what is your name");
    EXPECT_EQ(host.calls[3], "Display Wobbet the bot");
}

TEST_F(TurnTest, TeachCancelledOrWithoutReply) {
    Remember("Hello.", "Hi");
    Teach("ignored", "ignored too", TeachDialogResult::kCancel);
    EXPECT_THAT(host.calls, ElementsAre("RunTeachDialog"));
    EXPECT_EQ(engine.Memory().LastResponse, " HELLO ");

    host.calls.clear();
    Teach("Are you awake?", "");
    EXPECT_THAT(host.calls,
                ElementsAre("RunTeachDialog", "Display Type something for my response."));
    EXPECT_EQ(engine.Memory().LastResponse, " AWAKE ");
    EXPECT_EQ(engine.Memory().LastInput, " HI ");
    EXPECT_TRUE(host.context);
    EXPECT_EQ(engine.Knowledge().ResponseCount(), 7u);
}

TEST_F(TurnTest, TeachWithAnEmptyPhraseOrASpacesReply) {
    Teach("", "Anything at all");
    // A failed dialog (-1) is not a cancellation.
    Teach("spaces", "   ", -1);
    EXPECT_THAT(ResponsesFrom(engine.Knowledge(), 7), ElementsAre("Anything at all", "   "));
    EXPECT_THAT(KeywordsFrom(engine.Knowledge(), 44), ElementsAre("", "SPACES", ""));
}

}  // namespace
}  // namespace wobbet::testing
