#pragma once

#include <cstdint>
#include <string>

namespace wobbet {

// The outcome of a request, negative on failure, like a COM HRESULT.
using AgentResult = std::int32_t;

inline constexpr AgentResult kAgentOk = 0;
// E_FAIL, for backends and fakes that have no more precise failure to give.
inline constexpr AgentResult kAgentFailed = static_cast<AgentResult>(0x80004005u);

inline bool AgentFailed(AgentResult result) {
    return result < 0;
}

// The type mask of StopAll that cuts off speaking requests.
inline constexpr std::int32_t kStopSpeaking = 4;

struct ScreenSize {
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// The character server operations the program uses, one method per server request, so that one
// piece of logic (AgentLink) drives the real server on Windows and the stand-in on Linux.
// Texts are the program's 8-bit strings: the ANSI code page on Windows, UTF-8 on Linux.
// A backend keeps its own handles (server, character, request id, load path); the link decides
// which requests are made and in which order.
class AgentServerPort {
public:
    virtual ~AgentServerPort() = default;

    // CoInitialize.
    virtual AgentResult Initialize() = 0;
    // Creates the server object.
    virtual AgentResult CreateServer() = 0;
    // Loads the user's default character and gives its id.
    virtual AgentResult LoadDefaultCharacter(std::int32_t* characterId) = 0;
    // Obtains the interface of the loaded character.
    virtual AgentResult GetCharacter(std::int32_t characterId) = 0;
    virtual AgentResult GetOriginalSize(std::int32_t* width, std::int32_t* height) = 0;
    // The size of the screen the character is placed on.
    virtual ScreenSize GetScreenSize() = 0;
    virtual AgentResult SetPosition(std::int32_t left, std::int32_t top) = 0;
    virtual AgentResult Show(bool fast) = 0;
    virtual AgentResult Speak(const std::string& text) = 0;
    virtual AgentResult Play(const std::string& animation) = 0;
    virtual AgentResult GetVisible(bool* visible) = 0;
    // Cuts off the character's queued and current requests of the given types.
    virtual AgentResult StopAll(std::int32_t types) = 0;
    // Opens the server's own window for the default character.
    virtual AgentResult ShowDefaultCharacterProperties(std::int16_t x, std::int16_t y,
                                                       bool useDefaultPosition) = 0;
    virtual AgentResult Unload(std::int32_t characterId) = 0;
    // Drops the character's interface.
    virtual void ReleaseCharacter() = 0;
    // Drops the server object and whatever was kept for loading the character.
    virtual void ReleaseServer() = 0;
    // CoUninitialize.
    virtual void Uninitialize() = 0;
};

}  // namespace wobbet
