#pragma once

#include "agent/agent_server_port.h"

namespace wobbet {

// Tries the platform's character server first and, only when creating it or loading its default
// character fails, hands over to a built-in character. While the server works, every request
// reaches it exactly as made; once the built-in character has taken over, every request goes to
// that one. Initializing and uninitializing stay with the server's port, which owns the
// apartment both use.
//
//     wobbet::com::ComAgentServer server;
//     wobbet::builtin::BuiltinAgentServer builtin;
//     wobbet::FallbackAgentServer port(server, builtin);
//     wobbet::AgentLink link(port, random);
class FallbackAgentServer final : public AgentServerPort {
public:
    // Both must outlive this port.
    FallbackAgentServer(AgentServerPort& server, AgentServerPort& builtin)
        : server_(server), builtin_(builtin) {}

    FallbackAgentServer(const FallbackAgentServer&) = delete;
    FallbackAgentServer& operator=(const FallbackAgentServer&) = delete;

    AgentResult Initialize() override { return server_.Initialize(); }
    // A failure is the server's own, when the built-in character cannot be made either.
    AgentResult CreateServer() override;
    AgentResult LoadDefaultCharacter(std::int32_t* characterId) override;
    AgentResult GetCharacter(std::int32_t characterId) override {
        return active_->GetCharacter(characterId);
    }
    AgentResult GetOriginalSize(std::int32_t* width, std::int32_t* height) override {
        return active_->GetOriginalSize(width, height);
    }
    ScreenSize GetScreenSize() override { return active_->GetScreenSize(); }
    AgentResult SetPosition(std::int32_t left, std::int32_t top) override {
        return active_->SetPosition(left, top);
    }
    AgentResult Show(bool fast) override { return active_->Show(fast); }
    AgentResult Speak(const std::string& text) override { return active_->Speak(text); }
    AgentResult Play(const std::string& animation) override { return active_->Play(animation); }
    AgentResult GetVisible(bool* visible) override { return active_->GetVisible(visible); }
    AgentResult StopAll(std::int32_t types) override { return active_->StopAll(types); }
    AgentResult ShowDefaultCharacterProperties(std::int16_t x, std::int16_t y,
                                               bool useDefaultPosition) override {
        return active_->ShowDefaultCharacterProperties(x, y, useDefaultPosition);
    }
    AgentResult Unload(std::int32_t characterId) override { return active_->Unload(characterId); }
    void ReleaseCharacter() override { active_->ReleaseCharacter(); }
    void ReleaseServer() override { active_->ReleaseServer(); }
    void Uninitialize() override { server_.Uninitialize(); }

    bool UsesBuiltin() const { return active_ == &builtin_; }

private:
    AgentServerPort& server_;
    AgentServerPort& builtin_;
    AgentServerPort* active_ = &server_;
};

}  // namespace wobbet
