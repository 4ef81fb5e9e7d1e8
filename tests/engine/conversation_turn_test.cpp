#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/engine/engine_fixture.h"
#include "tests/support/case_table.h"
#include "tests/support/knowledge_records.h"

namespace wobbet::testing {
namespace {

using testing::PrintTo;

using ::testing::ElementsAre;

constexpr const char* kTurnStart[] = {"PrepareCharacter", "ReadInput", "ClearInput"};
const std::string kMisaligned = "ShowMessage Storage error: Space misalignment.";

class TurnTest : public EngineTest {
protected:
    void SetUp() override { engine.Knowledge().LoadSeedTables(); }

    // Says the text and returns the host calls after the turn's first three.
    std::vector<std::string> Say(const std::string& text, std::vector<int> draws) {
        for (int draw : draws) {
            random.Push(draw);
        }
        host.calls.clear();
        host.inputs.push_back(text);
        engine.OnSay();
        EXPECT_EQ(random.Remaining(), 0u);
        EXPECT_THAT(std::vector(host.calls.begin(), host.calls.begin() + 3),
                    ElementsAre(kTurnStart[0], kTurnStart[1], kTurnStart[2]));
        return std::vector(host.calls.begin() + 3, host.calls.end());
    }

    // Draws for a turn over the tables as they are: every tie draw and then the learn draw.
    std::vector<int> Draws(int tie, int learn) const {
        std::vector<int> draws(engine.Knowledge().GroupCount(), tie);
        draws.push_back(learn);
        return draws;
    }
};

TEST_F(TurnTest, GoodMorningThenFineThanks) {
    EXPECT_THAT(Say("Good morning!", Draws(0, 100)),
                ElementsAre("Display Hello.", "PlayAnimation Pleased"));
    EXPECT_EQ(engine.Mood(), 2);
    // Nothing matches and record 3 draws the highest tie value; the score is 0.
    EXPECT_THAT(Say("Fine, thanks", {10, 20, 30, 31000, 40, 50, 60, 12345}),
                ElementsAre("PlayAnimation Acknowledge", "Display I feel great."));

    EXPECT_THAT(ResponsesFrom(engine.Knowledge(), 7), ElementsAre("Fine, thanks"));
    EXPECT_THAT(KeywordsFrom(engine.Knowledge(), 44),
                ElementsAre("HELLO", "!", "GOOD", "MORNING", ""));
    EXPECT_EQ(engine.Memory().LastResponse, " FEEL GREAT ");
    EXPECT_EQ(engine.Memory().LastResponseWords, 2);
    EXPECT_EQ(engine.Memory().LastInput, " FINE THANKS ");
    EXPECT_EQ(engine.Mood(), 1);
}

TEST_F(TurnTest, MoodMovesBetweenZeroAndTwoShowingOnlyItsCrossings) {
    host.context = false;
    Say("bye", Draws(0, 0));
    EXPECT_THAT(Say("bye", Draws(0, 0)), ElementsAre("Display Goodbye."));
    EXPECT_EQ(engine.Mood(), 2);
    EXPECT_THAT(Say("zebra", Draws(0, 0)),
                ElementsAre("PlayAnimation Acknowledge", "Display Hello."));
    EXPECT_EQ(engine.Mood(), 1);
    EXPECT_THAT(Say("giraffe", Draws(0, 0)),
                ElementsAre("PlayAnimation Acknowledge", "Display Hello.", "PlayAnimation Sad"));
    EXPECT_EQ(engine.Mood(), 0);
    // At mood 0 the reply is drawn from all replies, the one learned in this turn included.
    std::vector<int> draws = Draws(0, 0);
    draws.push_back(static_cast<int>(engine.Knowledge().ResponseCount()));
    EXPECT_THAT(Say("okapi", draws), ElementsAre("PlayAnimation Acknowledge", "Display Okapi"));
    EXPECT_EQ(engine.Mood(), 0);
}

TEST_F(TurnTest, PhraseWithoutWordsGetsTheInstructionWithoutADraw) {
    Remember("Hello.", "Hi");
    for (const char* text : {"", "  ,!", "the of and"}) {
        EXPECT_THAT(Say(text, {}),
                    ElementsAre("Display Type something in the text box.  Then click the 'Say' "
                                "button."));
    }
    EXPECT_EQ(random.Draws(), 0);
    EXPECT_EQ(engine.Memory().LastResponse, " HELLO ");
    EXPECT_EQ(engine.Memory().LastInput, " HI ");
    EXPECT_EQ(engine.Mood(), 1);
}

TEST_F(TurnTest, GroupWithoutAReplyShowsTheMisalignmentMessageOnBothBranches) {
    Append(engine.Knowledge(), {}, {"ZEBRA", "", "YAK", ""});
    Remember("Hello.", "Hi");
    host.context = false;
    EXPECT_THAT(Say("zebra", Draws(0, 0)), ElementsAre(kMisaligned));
    EXPECT_EQ(engine.Memory().LastResponse, " HELLO ");
    EXPECT_EQ(engine.Memory().LastInput, " HI ");
    // The learning turn learns, then reports instead of reading past the table.
    std::vector<int> draws(8, 0);
    draws.insert(draws.end(), {100, RandomGenerator::kMax});
    EXPECT_THAT(Say("unknown words", draws), ElementsAre("PlayAnimation Acknowledge", kMisaligned));
    EXPECT_EQ(engine.Knowledge().ResponseCount(), 8u);
    EXPECT_EQ(engine.Mood(), 1);
}

struct TeachCase {
    const char* name;
    int result;
    const char* phrase;
    const char* reply;
    std::vector<std::string> calls;
    std::vector<std::string> replies;
    std::vector<std::string> keywords;
    const char* lastResponse;
    const char* lastInput;
};

class TeachTest : public TurnTest, public ::testing::WithParamInterface<TeachCase> {};

TEST_P(TeachTest, StoresThePairOrExplainsWhyNot) {
    const TeachCase& teach = GetParam();
    Remember("Hello.", "Hi");
    host.teachDialogs.push_back({teach.result, teach.phrase, teach.reply});

    engine.OnTeach();

    EXPECT_EQ(host.calls, teach.calls);
    EXPECT_EQ(ResponsesFrom(engine.Knowledge(), 7), teach.replies);
    EXPECT_EQ(KeywordsFrom(engine.Knowledge(), 44), teach.keywords);
    EXPECT_EQ(engine.Memory().LastResponse, teach.lastResponse);
    EXPECT_EQ(engine.Memory().LastInput, teach.lastInput);
    EXPECT_EQ(host.context, teach.calls.size() < 3);
    EXPECT_EQ(engine.Mood(), 1);
}

const std::vector<std::string> kTaught = {"RunTeachDialog", "SetContextEnabled 0",
                                          "PlayAnimation Acknowledge"};

INSTANTIATE_TEST_SUITE_P(
    Cases, TeachTest,
    ::testing::Values(
        TeachCase{"Stored",
                  TeachDialogResult::kOk,
                  "What is your name?",
                  "wobbet\r\nthe bot",
                  kTaught,
                  {"Wobbet the bot"},
                  {"WHAT", "NAME", ""},
                  "",
                  ""},
        TeachCase{"Cancelled",
                  TeachDialogResult::kCancel,
                  "ignored",
                  "ignored too",
                  {"RunTeachDialog"},
                  {},
                  {},
                  " HELLO ",
                  " HI "},
        TeachCase{"WithoutReply",
                  TeachDialogResult::kOk,
                  "Are you awake?",
                  "",
                  {"RunTeachDialog", "Display Type something for my response."},
                  {},
                  {},
                  " AWAKE ",
                  " HI "},
        TeachCase{"WithoutPhrase",
                  TeachDialogResult::kOk,
                  "",
                  "Anything",
                  kTaught,
                  {"Anything"},
                  {""},
                  "",
                  ""},
        // A dialog that failed to open (-1) is no cancellation.
        TeachCase{"FailedDialog", -1, "spaces", "   ", kTaught, {"   "}, {"SPACES", ""}, "", ""}),
    kRowName);

TEST_F(TurnTest, TaughtRecordAnswersItsPhrase) {
    host.teachDialogs.push_back({TeachDialogResult::kOk, "What is your name?", "Wobbet."});
    engine.OnTeach();
    EXPECT_THAT(Say("what is your name", Draws(0, RandomGenerator::kMax)),
                ElementsAre("Display Wobbet.", "PlayAnimation Pleased"));
}

}  // namespace
}  // namespace wobbet::testing
