#include "tests/engine/engine_fixture.h"

namespace wobbet::testing {
namespace {

class TurnTest : public SeededEngineTest {
protected:
    // Says the text, drawing tie for every group (none if negative), then draws; returns the
    // host calls after the three every turn starts with.
    std::string Say(const std::string& text, int tie, std::vector<int> draws) {
        random.numbers.assign(tie < 0 ? 0 : engine.Knowledge().GroupCount(), tie);
        random.numbers.insert(random.numbers.end(), draws.begin(), draws.end());
        host.calls.clear();
        host.inputs.push_back(text);
        engine.OnSay();
        EXPECT_TRUE(random.numbers.empty());
        const std::string calls = Joined(host.calls);
        EXPECT_EQ(calls.substr(0, 38), "PrepareCharacter;ReadInput;ClearInput;");
        return calls.substr(std::min<std::size_t>(calls.size(), 38));
    }
};

// A learning turn's record and memory are the console session's end-to-end test.
TEST_F(TurnTest, MoodMovesBetweenZeroAndTwoShowingOnlyItsCrossings) {
    host.context = false;
    const std::vector<std::pair<const char*, const char*>> turns = {
        {"bye", "Display Goodbye.;PlayAnimation Pleased;"},
        {"bye", "Display Goodbye.;"},
        {"zebra", "PlayAnimation Acknowledge;Display Hello.;"},
        {"giraffe", "PlayAnimation Acknowledge;Display Hello.;PlayAnimation Sad;"}};
    for (const auto& [text, calls] : turns) {
        EXPECT_EQ(Say(text, 0, {0}), calls) << text;
    }
    // At mood 0 the reply is drawn from all replies, the one learned in this turn included.
    EXPECT_EQ(Say("gnu", 0, {0, static_cast<int>(engine.Knowledge().ResponseCount())}),
              "PlayAnimation Acknowledge;Display Gnu;");
    EXPECT_EQ(engine.Mood(), 0);
}

TEST_F(TurnTest, PhraseWithoutWordsGetsTheInstructionWithoutADraw) {
    Remember("Hello.", "Hi");
    for (const char* text : {"", "  ,!", "the of and"}) {
        EXPECT_EQ(Say(text, -1, {}),
                  "Display Type something in the text box.  Then click the 'Say' button.;");
    }
    EXPECT_EQ(engine.Memory().LastResponse + engine.Memory().LastInput, " HELLO  HI ");
    EXPECT_EQ(engine.Mood(), 1);
}

TEST_F(TurnTest, GroupWithoutAReplyShowsTheMisalignmentMessageOnBothBranches) {
    Append(engine.Knowledge(), "", "ZEBRA;;YAK;;");
    Remember("Hello.", "Hi");
    host.context = false;
    EXPECT_EQ(Say("zebra", 0, {0}), "ShowMessage Storage error: Space misalignment.;");
    EXPECT_EQ(engine.Memory().LastResponse + engine.Memory().LastInput, " HELLO  HI ");
    // The learning turn learns, then reports instead of reading past the table: YAK wins.
    EXPECT_EQ(Say("unknown words", -1, {0, 0, 0, 0, 0, 0, 0, 0, 100, 32767}),
              "PlayAnimation Acknowledge;ShowMessage Storage error: Space misalignment.;");
    EXPECT_EQ(engine.Knowledge().ResponseCount(), 8u);
    EXPECT_EQ(engine.Mood(), 1);
}

struct TeachCase {
    const char* name;
    int result;
    const char* phrase;
    const char* reply;
    const char* calls;
    const char* learned;
    const char* memory;  // LastResponse and LastInput
};

class TeachTest : public TurnTest, public ::testing::WithParamInterface<TeachCase> {};

TEST_P(TeachTest, StoresThePairOrExplainsWhyNot) {
    Remember("Hello.", "Hi");
    host.teachDialogs.push_back({GetParam().result, GetParam().phrase, GetParam().reply});
    engine.OnTeach();
    EXPECT_EQ(Joined(host.calls), GetParam().calls);
    EXPECT_EQ(Learned(engine.Knowledge()), GetParam().learned);
    EXPECT_EQ(engine.Memory().LastResponse + "|" + engine.Memory().LastInput, GetParam().memory);
    EXPECT_EQ(engine.Mood(), 1);
}

constexpr const char* kTaught = "RunTeachDialog;SetContextEnabled 0;PlayAnimation Acknowledge;";

INSTANTIATE_TEST_SUITE_P(
    Cases, TeachTest,
    ::testing::Values(
        TeachCase{"Stored", TeachDialogResult::kOk, "What is your name?", "wobbet\r\nthe bot",
                  kTaught, "Wobbet the bot;|WHAT;NAME;;", "|"},
        TeachCase{"Cancelled", TeachDialogResult::kCancel, "ignored", "ignored too",
                  "RunTeachDialog;", "|", " HELLO | HI "},
        TeachCase{"WithoutReply", TeachDialogResult::kOk, "Are you awake?", "",
                  "RunTeachDialog;Display Type something for my response.;", "|", " AWAKE | HI "},
        TeachCase{"WithoutPhrase", TeachDialogResult::kOk, "", "Anything", kTaught, "Anything;|;",
                  "|"},
        // A dialog that failed to open (-1) is no cancellation.
        TeachCase{"FailedDialog", -1, "spaces", "   ", kTaught, "   ;|SPACES;;", "|"}),
    kRowName);

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
        // Each line break becomes one space.
        LearningCase{"LineBreaks", "", "", false, "one\r\ntwo\nthree\rfour",
                     "One two three four;|;"},
        LearningCase{"OnlyLineBreaks", "", "", false, "\r\n\r\rx\n", "   x ;|;"}),
    kRowName);

}  // namespace
}  // namespace wobbet::testing
