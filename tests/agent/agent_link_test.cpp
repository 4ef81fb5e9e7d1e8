#include "agent/agent_link.h"

#include <gmock/gmock.h>

#include <utility>

#include "tests/support/fake_agent_server.h"
#include "tests/support/recording_host.h"
#include "tests/support/scripted_random.h"

namespace wobbet::testing {
namespace {

using Calls = std::vector<std::string>;

// top = 1000 mod (768 - 128), then left = 2000 mod (1024 - 128)
const Calls kFullStart = {"Initialize",     "CreateServer",    "LoadDefaultCharacter",
                          "GetCharacter 7", "GetOriginalSize", "SetPosition 208 360",
                          "Show 0",         "Play Greet"};
const Calls kEveryRequest = {"GetVisible",  "Show 0",       "GetVisible",
                             "StopAll 4",   "Play Pleased", "ShowDefaultCharacterProperties 0 0 1",
                             "Speak Hello."};
const Calls kFullStop = {"ReleaseCharacter", "Unload 7", "ReleaseServer", "Uninitialize"};

// The failing step, the stage start-up ends at, how many steps it takes, and stop's requests.
struct StartCase {
    const char* failAt;
    std::int16_t status;
    std::ptrdiff_t steps;
    Calls stop;
};

class AgentStartTest : public ::testing::TestWithParam<StartCase> {
protected:
    FakeAgentServer server;
    ScriptedRandom random{1000, 2000};
    AgentLink link{server, random};
    RecordingHost host;

    // What reached the server of every request a session makes; the reply is shown anyway.
    Calls MakeEveryRequest() {
        server.visible = false;
        link.PrepareCharacter();
        link.PrepareCharacter();
        link.PlayAnimation("Pleased");
        link.OnCharacters();
        link.Display("Hello.", host);
        EXPECT_EQ(std::exchange(host.calls, {}), Calls{"ShowReply Hello."});
        return std::exchange(server.calls, {});
    }
};

// Requests reach the server only between a successful start and the stop, even when one fails.
TEST_P(AgentStartTest, SetsTheStageAndReleasesOnlyWhatWasObtained) {
    server.failAt = GetParam().failAt;
    EXPECT_EQ(MakeEveryRequest(), Calls{});
    link.StopAgent();
    link.StartAgent();
    link.StartAgent();
    EXPECT_EQ(link.AgentStatus(), GetParam().status);
    EXPECT_EQ(std::exchange(server.calls, {}),
              Calls(kFullStart.begin(), kFullStart.begin() + GetParam().steps));
    const bool ready = GetParam().status == AgentLink::kReady;
    EXPECT_EQ(random.draws, ready ? 2 : 0);
    EXPECT_EQ(MakeEveryRequest(), ready ? kEveryRequest : Calls{});
    link.StopAgent();
    link.StopAgent();
    EXPECT_EQ(std::exchange(server.calls, {}), GetParam().stop);
    EXPECT_EQ(MakeEveryRequest(), Calls{});
}

INSTANTIATE_TEST_SUITE_P(
    EachStep, AgentStartTest,
    ::testing::Values(
        StartCase{"", AgentLink::kReady, 8, kFullStop},
        StartCase{"Initialize", AgentLink::kInitializeFailed, 1, {}},
        StartCase{"CreateServer", AgentLink::kServerFailed, 2, {"Uninitialize"}},
        StartCase{"LoadDefaultCharacter", AgentLink::kServerFailed, 3, {"Uninitialize"}},
        StartCase{
            "GetCharacter", AgentLink::kCharacterFailed, 4, {"ReleaseServer", "Uninitialize"}},
        // Once the character is obtained, failures are ignored.
        StartCase{"Speak", AgentLink::kReady, 8, kFullStop}));

// No room on an axis puts it at 0 there, still drawing both numbers for the later draws' sake.
TEST(AgentPlacement, DrawsTopThenLeftAndNeverDividesByZero) {
    const struct {
        ScreenSize screen;
        std::int32_t width, height;
        const char* position;
    } cases[] = {{{1024, 768}, 128, 128, "SetPosition 338 127"},
                 {{1024, 768}, 2000, 128, "SetPosition 0 127"},
                 {{1024, 768}, 128, 768, "SetPosition 338 0"},
                 {{0, 0}, 128, 128, "SetPosition 0 0"}};
    for (const auto& placement : cases) {
        FakeAgentServer server;
        server.screen = placement.screen;
        std::tie(server.width, server.height) = std::tie(placement.width, placement.height);
        ScriptedRandom random{32767, 1234};
        AgentLink(server, random).StartAgent();
        EXPECT_EQ(server.calls.at(5), placement.position);
        EXPECT_EQ(random.draws, 2);
    }
}

}  // namespace
}  // namespace wobbet::testing
