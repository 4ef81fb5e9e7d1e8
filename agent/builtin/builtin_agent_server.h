#pragma once

#include <memory>

#include "agent/agent_server_port.h"
#include "agent/builtin/character_window.h"
#include "agent/builtin/gdiplus_renderer.h"
#include "agent/builtin/voice_settings.h"

namespace wobbet::builtin {

// The character Wobbet.exe brings along, behind the same port as the character server: a
// layered window drawn with GDI+, speaking through SAPI, with its own properties dialog. Its
// settings are read and written under HKEY_CURRENT_USER\Software\Wobbet only once it is loaded.
// Everything runs on the thread that creates the server; COM must be initialised there for the
// voice (FallbackAgentServer leaves that to the character server's port).
//
// Start-up fails (at the create step) only when GDI+ or the windows cannot be made. Without a
// voice, or when speaking fails, the character shows its replies and reads them silently.
class BuiltinAgentServer final : public AgentServerPort {
public:
    BuiltinAgentServer();
    ~BuiltinAgentServer() override;
    BuiltinAgentServer(const BuiltinAgentServer&) = delete;
    BuiltinAgentServer& operator=(const BuiltinAgentServer&) = delete;

    AgentResult Initialize() override { return kAgentOk; }
    AgentResult CreateServer() override;
    AgentResult LoadDefaultCharacter(std::int32_t* characterId) override;
    AgentResult GetCharacter(std::int32_t characterId) override;
    AgentResult GetOriginalSize(std::int32_t* width, std::int32_t* height) override;
    ScreenSize GetScreenSize() override;
    AgentResult SetPosition(std::int32_t left, std::int32_t top) override;
    AgentResult Show(bool fast) override;
    // The text is in the ANSI code page.
    AgentResult Speak(const std::string& text) override;
    // Unknown animation names are ignored (and answered with a failure).
    AgentResult Play(const std::string& animation) override;
    AgentResult GetVisible(bool* visible) override;
    // Types: 1 animations, 4 speech.
    AgentResult StopAll(std::int32_t types) override;
    // Opens the properties dialog over the active window.
    AgentResult ShowDefaultCharacterProperties(std::int16_t x, std::int16_t y,
                                               bool useDefaultPosition) override;
    AgentResult Unload(std::int32_t characterId) override;
    void ReleaseCharacter() override {}
    void ReleaseServer() override;
    void Uninitialize() override {}

private:
    std::unique_ptr<GdiplusSession> gdiplus_;
    std::unique_ptr<CharacterWindow> window_;
    VoiceSettings settings_;
    bool loaded_ = false;
};

}  // namespace wobbet::builtin
