// Without a QApplication no character window can be shown: start-up ends at the create step.
#include <gtest/gtest.h>

#include "agent/agent_link.h"
#include "agent/desktop/desktop_agent_server.h"
#include "tests/support/recording_host.h"
#include "tests/support/scripted_random.h"

namespace wobbet::testing {
namespace {

TEST(DesktopAgentServerWithoutApplication, FailsAtTheCreateStepAndStaysSilent) {
    desktop::DesktopAgentServer server({false, {}});
    ScriptedRandom random;
    AgentLink link(server, random);
    RecordingHost host;
    link.StartAgent();
    EXPECT_EQ(link.AgentStatus(), AgentLink::kServerFailed);
    link.Display("Hello.", host);
    EXPECT_EQ(host.calls, std::vector<std::string>{"ShowReply Hello."});
    EXPECT_EQ(server.Window(), nullptr);
    link.StopAgent();
}

}  // namespace
}  // namespace wobbet::testing
