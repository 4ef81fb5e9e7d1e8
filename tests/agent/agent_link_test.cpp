#include "agent/agent_link.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "engine/conversation_engine.h"
#include "tests/support/fake_agent_server.h"
#include "tests/support/recording_host.h"
#include "tests/support/scripted_random.h"

namespace wobbet::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// A window half that records its calls and forwards the character half to the link, as the
// shells do. Its replies go to the server's log too, so the log shows what came first.
class LinkedHost : public RecordingHost {
public:
    LinkedHost(AgentLink& link, FakeAgentServer& server) : link_(link), server_(server) {}

    void Display(const std::string& text) override { link_.Display(text, *this); }
    void ShowReply(const std::string& text) override {
        RecordingHost::ShowReply(text);
        server_.calls.push_back("ShowReply " + text);
    }
    void PlayAnimation(const std::string& name) override { link_.PlayAnimation(name); }
    void PrepareCharacter() override { link_.PrepareCharacter(); }

private:
    AgentLink& link_;
    FakeAgentServer& server_;
};

class AgentLinkTest : public ::testing::Test {
protected:
    FakeAgentServer server;
    ScriptedRandom random;
    AgentLink link{server, random};
    LinkedHost host{link, server};

    // Starts the character with the given placement draws and forgets the start-up requests.
    void Start(int topDraw = 0, int leftDraw = 0) {
        random.Push(topDraw);
        random.Push(leftDraw);
        link.StartAgent();
        ASSERT_EQ(link.AgentStatus(), AgentLink::kReady);
        server.calls.clear();
    }
};

TEST_F(AgentLinkTest, StartsPlacesShowsAndGreets) {
    random = ScriptedRandom{1000, 2000};
    link.StartAgent();

    // top = 1000 mod (768 - 128), then left = 2000 mod (1024 - 128)
    EXPECT_THAT(server.calls,
                ElementsAre("Initialize", "CreateServer", "LoadDefaultCharacter", "GetCharacter 7",
                            "GetOriginalSize", "SetPosition 208 360", "Show 0", "Play Greet"));
    EXPECT_EQ(link.AgentStatus(), AgentLink::kReady);
    EXPECT_EQ(random.Draws(), 2);
}

TEST_F(AgentLinkTest, FailuresAfterTheCharacterIsObtainedDoNotStopStartUp) {
    for (const char* step : {"GetOriginalSize", "SetPosition", "Show", "Play"}) {
        FakeAgentServer failing;
        failing.failAt = step;
        ScriptedRandom draws{0, 0};
        AgentLink startedLink(failing, draws);
        startedLink.StartAgent();
        EXPECT_EQ(startedLink.AgentStatus(), AgentLink::kReady) << step;
        EXPECT_EQ(failing.calls.back(), "Play Greet") << step;
    }
}

struct FailedStart {
    const char* failingStep;
    std::int16_t status;
    std::vector<std::string> startCalls;
    std::vector<std::string> stopCalls;
};

void PrintTo(const FailedStart& failure, std::ostream* out) {
    *out << failure.failingStep;
}

class AgentStartFailureTest : public AgentLinkTest,
                              public ::testing::WithParamInterface<FailedStart> {};

TEST_P(AgentStartFailureTest, SetsTheStageAndStopReleasesOnlyWhatWasObtained) {
    const FailedStart& failure = GetParam();
    server.failAt = failure.failingStep;
    link.StartAgent();
    EXPECT_EQ(link.AgentStatus(), failure.status);
    EXPECT_EQ(server.calls, failure.startCalls);
    EXPECT_EQ(random.Draws(), 0);

    server.calls.clear();
    link.StopAgent();
    EXPECT_EQ(server.calls, failure.stopCalls);
}

TEST_P(AgentStartFailureTest, LeavesTheProgramWorkingSilently) {
    server.failAt = GetParam().failingStep;
    link.StartAgent();
    server.calls.clear();

    link.PrepareCharacter();
    link.PlayAnimation("Pleased");
    link.OnCharacters();
    link.Display("Hello.", host);

    EXPECT_THAT(server.calls, ElementsAre("ShowReply Hello."));
}

INSTANTIATE_TEST_SUITE_P(
    EachStage, AgentStartFailureTest,
    ::testing::Values(FailedStart{"Initialize", AgentLink::kInitializeFailed, {"Initialize"}, {}},
                      FailedStart{"CreateServer",
                                  AgentLink::kServerFailed,
                                  {"Initialize", "CreateServer"},
                                  {"Uninitialize"}},
                      FailedStart{"LoadDefaultCharacter",
                                  AgentLink::kServerFailed,
                                  {"Initialize", "CreateServer", "LoadDefaultCharacter"},
                                  {"Uninitialize"}},
                      FailedStart{
                          "GetCharacter",
                          AgentLink::kCharacterFailed,
                          {"Initialize", "CreateServer", "LoadDefaultCharacter", "GetCharacter 7"},
                          {"ReleaseServer", "Uninitialize"}}),
    [](const ::testing::TestParamInfo<FailedStart>& stage) { return stage.param.failingStep; });

TEST_F(AgentLinkTest, StopAfterASuccessfulStartReleasesEverythingInOrder) {
    Start();
    link.StopAgent();
    EXPECT_THAT(server.calls,
                ElementsAre("ReleaseCharacter", "Unload 7", "ReleaseServer", "Uninitialize"));
}

TEST_F(AgentLinkTest, RequestsOutsideStartAndStopNeverReachTheServer) {
    link.Display("Too early.", host);
    link.PlayAnimation("Greet");
    link.PrepareCharacter();
    link.OnCharacters();
    link.StopAgent();
    EXPECT_THAT(server.calls, ElementsAre("ShowReply Too early."));

    Start();
    link.StartAgent();
    link.StopAgent();
    server.calls.clear();
    link.StopAgent();
    link.Display("Too late.", host);
    link.PlayAnimation("Sad");
    link.PrepareCharacter();
    EXPECT_THAT(server.calls, ElementsAre("ShowReply Too late."));
}

TEST_F(AgentLinkTest, PrepareShowsAHiddenCharacterAndCutsOffAVisibleOnesSpeech) {
    Start();
    server.visible = false;
    link.PrepareCharacter();
    EXPECT_THAT(server.calls, ElementsAre("GetVisible", "Show 0"));

    server.calls.clear();
    link.PrepareCharacter();
    EXPECT_THAT(server.calls, ElementsAre("GetVisible", "StopAll 4"));
}

TEST_F(AgentLinkTest, CharactersOpensTheDefaultCharactersWindowAtItsDefaultPosition) {
    Start();
    link.OnCharacters();
    EXPECT_THAT(server.calls, ElementsAre("ShowDefaultCharacterProperties 0 0 1"));
}

TEST_F(AgentLinkTest, DisplayShowsTheReplyEvenWhenSpeakingFails) {
    Start();
    server.failAt = "Speak";
    link.Display("Hello.", host);
    EXPECT_THAT(server.calls, ElementsAre("Speak Hello.", "ShowReply Hello."));
}

// Screens no larger than the character on an axis put it at 0 there, and both numbers are
// still drawn so the conversation's later draws stay where they were.
struct Placement {
    const char* name;
    ScreenSize screen;
    int width;
    int height;
    const char* position;
};

void PrintTo(const Placement& placement, std::ostream* out) {
    *out << placement.name;
}

class AgentPlacementTest : public AgentLinkTest, public ::testing::WithParamInterface<Placement> {};

TEST_P(AgentPlacementTest, DrawsTopThenLeft) {
    const Placement& placement = GetParam();
    server.screen = placement.screen;
    server.width = placement.width;
    server.height = placement.height;
    random = ScriptedRandom{32767, 1234, 99};
    link.StartAgent();

    EXPECT_EQ(server.calls.at(5), placement.position);
    EXPECT_EQ(random.Draws(), 2);
}

INSTANTIATE_TEST_SUITE_P(
    Screens, AgentPlacementTest,
    ::testing::Values(Placement{"Roomy", {1024, 768}, 128, 128, "SetPosition 338 127"},
                      Placement{"ExactFit", {1024, 768}, 1024, 768, "SetPosition 0 0"},
                      Placement{"TooWide", {1024, 768}, 2000, 128, "SetPosition 0 127"},
                      Placement{"TooTall", {1024, 768}, 128, 769, "SetPosition 338 0"},
                      Placement{"NoScreen", {0, 0}, 128, 128, "SetPosition 0 0"},
                      Placement{"OnePixelToSpare", {1024, 768}, 1023, 767, "SetPosition 0 0"}),
    [](const ::testing::TestParamInfo<Placement>& screen) { return screen.param.name; });

// The requests a conversation makes through the shell's host, in order.
class AgentConversationTest : public AgentLinkTest {
protected:
    ConversationEngine engine{host, random};

    void SetUp() override {
        Start();
        engine.Knowledge().LoadSeedTables();
        server.visible = true;
    }

    void Say(const std::string& text) {
        host.inputs.push_back(text);
        random.PushRepeated(0, 40);
        engine.OnSay();
    }
};

TEST_F(AgentConversationTest, AConfidentSaySpeaksThenShowsThenIsPleased) {
    Say("hello");
    EXPECT_THAT(server.calls, ElementsAre("GetVisible", "StopAll 4", "Speak Hello.",
                                          "ShowReply Hello.", "Play Pleased"));
}

TEST_F(AgentConversationTest, ALearningSayAcknowledgesFirstAndEndsSad) {
    host.context = false;
    Say("zebra crossing");
    ASSERT_EQ(engine.Mood(), 0);
    ASSERT_EQ(server.calls.size(), 6u);
    const std::string reply = server.calls[3].substr(std::string("Speak ").size());
    EXPECT_THAT(server.calls, ElementsAre("GetVisible", "StopAll 4", "Play Acknowledge",
                                          "Speak " + reply, "ShowReply " + reply, "Play Sad"));
}

TEST_F(AgentConversationTest, ASayWithTheCharacterHiddenShowsItBeforeSpeaking) {
    server.visible = false;
    Say("hello");
    EXPECT_THAT(server.calls, ElementsAre("GetVisible", "Show 0", "Speak Hello.",
                                          "ShowReply Hello.", "Play Pleased"));
}

TEST_F(AgentConversationTest, ATeachOnlyAcknowledges) {
    host.teachDialogs.push_back({TeachDialogResult::kOk, "sky", "Blue."});
    engine.OnTeach();
    EXPECT_THAT(server.calls, ElementsAre("Play Acknowledge"));

    server.calls.clear();
    host.teachDialogs.push_back({TeachDialogResult::kOk, "sky", ""});
    engine.OnTeach();
    EXPECT_THAT(server.calls, ElementsAre("Speak Type something for my response.",
                                          "ShowReply Type something for my response."));

    server.calls.clear();
    host.teachDialogs.push_back({TeachDialogResult::kCancel, "sky", "Blue."});
    engine.OnTeach();
    EXPECT_THAT(server.calls, IsEmpty());
}

}  // namespace
}  // namespace wobbet::testing
