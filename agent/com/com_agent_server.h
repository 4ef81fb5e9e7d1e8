#pragma once

#include <functional>

#include "agent/agent_server_port.h"
#include "agent/com/agent_server_interfaces.h"

namespace wobbet::com {

// The character server port over the platform's character server, reached through COM on the
// calling thread, which becomes a single-threaded apartment. Texts are converted from the ANSI
// code page; every BSTR is freed as soon as its call returns.
//
// The Windows program creates one and hands it to AgentLink:
//
//     wobbet::com::ComAgentServer server;
//     wobbet::AgentLink link(server, random);
class ComAgentServer final : public AgentServerPort {
public:
    // Creates the server object; the default asks COM for the registered character server.
    using ServerFactory = std::function<HRESULT(IAgentEx** server)>;

    ComAgentServer();
    explicit ComAgentServer(ServerFactory createServer);
    // Releases what is still held: StopAgent leaves the server alone when start-up failed after
    // creating it, as when loading the character failed.
    ~ComAgentServer() override;

    ComAgentServer(const ComAgentServer&) = delete;
    ComAgentServer& operator=(const ComAgentServer&) = delete;

    AgentResult Initialize() override;
    AgentResult CreateServer() override;
    AgentResult LoadDefaultCharacter(std::int32_t* characterId) override;
    AgentResult GetCharacter(std::int32_t characterId) override;
    AgentResult GetOriginalSize(std::int32_t* width, std::int32_t* height) override;
    ScreenSize GetScreenSize() override;
    AgentResult SetPosition(std::int32_t left, std::int32_t top) override;
    AgentResult Show(bool fast) override;
    AgentResult Speak(const std::string& text) override;
    AgentResult Play(const std::string& animation) override;
    AgentResult GetVisible(bool* visible) override;
    AgentResult StopAll(std::int32_t types) override;
    AgentResult ShowDefaultCharacterProperties(std::int16_t x, std::int16_t y,
                                               bool useDefaultPosition) override;
    AgentResult Unload(std::int32_t characterId) override;
    void ReleaseCharacter() override;
    // Also clears the load path, which was kept for the server until now.
    void ReleaseServer() override;
    void Uninitialize() override;

private:
    ServerFactory createServer_;
    IAgentEx* server_ = nullptr;
    IAgentCharacterEx* character_ = nullptr;
    VARIANT loadPath_;
    // Receives the id of every request; the program never waits on one.
    LONG requestId_ = 0;
};

}  // namespace wobbet::com
