#include "agent/agent_link.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <tuple>

#include "tests/support/fake_agent_server.h"
#include "tests/support/recording_host.h"
#include "tests/support/scripted_random.h"

namespace wobbet::testing {
namespace {

using ::testing::ElementsAre;

// The requests that reached the server since the last look, joined by commas.
std::string Taken(FakeAgentServer& server) {
    std::string joined;
    for (const std::string& call : server.calls) {
        joined += (joined.empty() ? "" : ", ") + call;
    }
    server.calls.clear();
    return joined;
}

class AgentLinkTest : public ::testing::Test {
protected:
    FakeAgentServer server;
    ScriptedRandom random{1000, 2000};
    AgentLink link{server, random};
    RecordingHost host;

    // Every request the conversation and the Characters... button make, Prepare once with the
    // character hidden and once with it shown.
    std::string MakeEveryRequest() {
        Taken(server);
        server.visible = false;
        link.PrepareCharacter();
        link.PrepareCharacter();
        link.PlayAnimation("Pleased");
        link.OnCharacters();
        link.Display("Hello.", host);
        return Taken(server);
    }
};

// top = 1000 mod (768 - 128), then left = 2000 mod (1024 - 128)
constexpr const char* kFullStart =
    "Initialize, CreateServer, LoadDefaultCharacter, GetCharacter 7, GetOriginalSize, "
    "SetPosition 208 360, Show 0, Play Greet";
constexpr const char* kEveryRequest =
    "GetVisible, Show 0, GetVisible, StopAll 4, Play Pleased, ShowDefaultCharacterProperties 0 0 "
    "1, Speak Hello.";
constexpr const char* kFullStop = "ReleaseCharacter, Unload 7, ReleaseServer, Uninitialize";

struct StartCase {
    const char* failAt;
    std::int16_t status;
    const char* start;
    const char* stop;
};

class AgentStartTest : public AgentLinkTest, public ::testing::WithParamInterface<StartCase> {};

// Requests reach the server only between a successful start and the stop, and the reply is
// shown in every case, even when speaking it failed.
TEST_P(AgentStartTest, SetsTheStageAndReleasesOnlyWhatWasObtained) {
    const StartCase& expected = GetParam();
    server.failAt = expected.failAt;
    EXPECT_EQ(MakeEveryRequest(), "");
    link.StopAgent();
    link.StartAgent();
    link.StartAgent();
    EXPECT_EQ(link.AgentStatus(), expected.status);
    EXPECT_EQ(Taken(server), expected.start);
    const bool ready = expected.status == AgentLink::kReady;
    EXPECT_EQ(random.Draws(), ready ? 2 : 0);
    EXPECT_EQ(MakeEveryRequest(), ready ? kEveryRequest : "");

    link.StopAgent();
    link.StopAgent();
    EXPECT_EQ(Taken(server), expected.stop);
    EXPECT_EQ(MakeEveryRequest(), "");
    EXPECT_THAT(host.calls,
                ElementsAre("ShowReply Hello.", "ShowReply Hello.", "ShowReply Hello."));
}

INSTANTIATE_TEST_SUITE_P(
    EachStep, AgentStartTest,
    ::testing::Values(StartCase{"", AgentLink::kReady, kFullStart, kFullStop},
                      StartCase{"Initialize", AgentLink::kInitializeFailed, "Initialize", ""},
                      StartCase{"CreateServer", AgentLink::kServerFailed,
                                "Initialize, CreateServer", "Uninitialize"},
                      StartCase{"LoadDefaultCharacter", AgentLink::kServerFailed,
                                "Initialize, CreateServer, LoadDefaultCharacter", "Uninitialize"},
                      StartCase{"GetCharacter", AgentLink::kCharacterFailed,
                                "Initialize, CreateServer, LoadDefaultCharacter, GetCharacter 7",
                                "ReleaseServer, Uninitialize"},
                      // Once the character is obtained, failures are ignored.
                      StartCase{"GetOriginalSize", AgentLink::kReady, kFullStart, kFullStop},
                      StartCase{"Speak", AgentLink::kReady, kFullStart, kFullStop}),
    [](const auto& step) { return *step.param.failAt ? step.param.failAt : "None"; });

// A screen no larger than the character on an axis puts it at 0 there; both numbers are still
// drawn, so the conversation's later draws stay where they were.
TEST(AgentPlacement, DrawsTopThenLeftAndNeverDividesByZero) {
    const struct {
        ScreenSize screen;
        std::int32_t width, height;
        const char* position;
    } cases[] = {{{1024, 768}, 128, 128, "SetPosition 338 127"},
                 {{1024, 768}, 1024, 768, "SetPosition 0 0"},
                 {{1024, 768}, 2000, 128, "SetPosition 0 127"},
                 {{1024, 768}, 128, 769, "SetPosition 338 0"},
                 {{1024, 768}, 1023, 767, "SetPosition 0 0"},
                 {{0, 0}, 128, 128, "SetPosition 0 0"}};
    for (const auto& placement : cases) {
        FakeAgentServer server;
        server.screen = placement.screen;
        std::tie(server.width, server.height) = std::tie(placement.width, placement.height);
        ScriptedRandom random{32767, 1234};
        AgentLink(server, random).StartAgent();
        EXPECT_EQ(server.calls.at(5), placement.position);
        EXPECT_EQ(random.Draws(), 2);
    }
}

}  // namespace
}  // namespace wobbet::testing
