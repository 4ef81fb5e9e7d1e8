#include "agent/fallback_agent_server.h"

namespace wobbet {

AgentResult FallbackAgentServer::CreateServer() {
    const AgentResult result = server_.CreateServer();
    if (!AgentFailed(result)) {
        return result;
    }
    if (AgentFailed(builtin_.CreateServer())) {
        return result;
    }
    active_ = &builtin_;
    return kAgentOk;
}

AgentResult FallbackAgentServer::LoadDefaultCharacter(std::int32_t* characterId) {
    if (UsesBuiltin()) {
        return builtin_.LoadDefaultCharacter(characterId);
    }
    const AgentResult result = server_.LoadDefaultCharacter(characterId);
    if (!AgentFailed(result)) {
        return result;
    }
    // The server that could not load a character is of no further use.
    server_.ReleaseServer();
    if (AgentFailed(builtin_.CreateServer())) {
        return result;
    }
    active_ = &builtin_;
    return builtin_.LoadDefaultCharacter(characterId);
}

}  // namespace wobbet
