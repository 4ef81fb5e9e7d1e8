#include "agent/fallback_agent_server.h"

#include <gmock/gmock.h>

#include "agent/agent_link.h"
#include "tests/support/fake_agent_server.h"
#include "tests/support/recording_host.h"
#include "tests/support/scripted_random.h"

namespace wobbet::testing {
namespace {

using Calls = std::vector<std::string>;

const Calls kServed = {"GetCharacter 7",
                       "GetOriginalSize",
                       "SetPosition 208 360",
                       "Show 0",
                       "Play Greet",
                       "GetVisible",
                       "StopAll 4",
                       "Speak Hi.",
                       "Play Sad",
                       "ShowDefaultCharacterProperties 0 0 1",
                       "ReleaseCharacter",
                       "Unload 7",
                       "ReleaseServer"};

// What fails at the server, what fails at the built-in character, the status, and the calls
// each of them sees over a whole session.
struct FallbackCase {
    const char* serverFails;
    const char* builtinFails;
    std::int16_t status;
    Calls server;
    Calls builtin;
};

class FallbackTest : public ::testing::TestWithParam<FallbackCase> {};

// A working server sees exactly what the link asks; the built-in character stands in only when
// the server cannot be created or cannot load its character, and then gets every request.
TEST_P(FallbackTest, RoutesEveryRequestToTheCharacterThatStarted) {
    FakeAgentServer server, builtin;
    server.failAt = GetParam().serverFails;
    builtin.failAt = GetParam().builtinFails;
    FallbackAgentServer port(server, builtin);
    ScriptedRandom random{1000, 2000};
    AgentLink link(port, random);
    RecordingHost host;
    link.StartAgent();
    link.PrepareCharacter();
    link.Display("Hi.", host);
    link.PlayAnimation("Sad");
    link.OnCharacters();
    link.StopAgent();
    EXPECT_EQ(link.AgentStatus(), GetParam().status);
    EXPECT_EQ(server.calls, GetParam().server);
    EXPECT_EQ(builtin.calls, GetParam().builtin);
    EXPECT_EQ(port.UsesBuiltin(), !GetParam().builtin.empty() && GetParam().status == 255);
}

Calls Join(Calls head, const Calls& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

INSTANTIATE_TEST_SUITE_P(
    EachFailure, FallbackTest,
    ::testing::Values(FallbackCase{"",
                                   "",
                                   255,
                                   Join(Join({"Initialize", "CreateServer", "LoadDefaultCharacter"},
                                             kServed),
                                        {"Uninitialize"}),
                                   {}},
                      FallbackCase{"CreateServer",
                                   "",
                                   255,
                                   {"Initialize", "CreateServer", "Uninitialize"},
                                   Join({"CreateServer", "LoadDefaultCharacter"}, kServed)},
                      FallbackCase{"LoadDefaultCharacter",
                                   "",
                                   255,
                                   {"Initialize", "CreateServer", "LoadDefaultCharacter",
                                    "ReleaseServer", "Uninitialize"},
                                   Join({"CreateServer", "LoadDefaultCharacter"}, kServed)},
                      FallbackCase{"CreateServer",
                                   "CreateServer",
                                   1,
                                   {"Initialize", "CreateServer", "Uninitialize"},
                                   {"CreateServer"}},
                      FallbackCase{"Initialize", "", 0, {"Initialize"}, {}},
                      // A server whose character it cannot reach is not replaced.
                      FallbackCase{"GetCharacter",
                                   "",
                                   2,
                                   {"Initialize", "CreateServer", "LoadDefaultCharacter",
                                    "GetCharacter 7", "ReleaseServer", "Uninitialize"},
                                   {}}));

}  // namespace
}  // namespace wobbet::testing
