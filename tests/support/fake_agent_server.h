#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "agent/agent_server_port.h"

namespace wobbet::testing {

// Logs every request in order and fails the one named in failAt (its log line's first word).
struct FakeAgentServer : AgentServerPort {
    std::vector<std::string> calls;
    std::string failAt;
    std::int32_t characterId = 7;
    std::int32_t width = 128, height = 128;
    ScreenSize screen{1024, 768};
    bool visible = false;

    AgentResult Initialize() override { return Record("Initialize"); }
    AgentResult CreateServer() override { return Record("CreateServer"); }
    AgentResult LoadDefaultCharacter(std::int32_t* id) override {
        *id = characterId;
        return Record("LoadDefaultCharacter");
    }
    AgentResult GetCharacter(std::int32_t id) override { return Record("GetCharacter", id); }
    AgentResult GetOriginalSize(std::int32_t* w, std::int32_t* h) override {
        *w = width;
        *h = height;
        return Record("GetOriginalSize");
    }
    ScreenSize GetScreenSize() override { return screen; }
    AgentResult SetPosition(std::int32_t left, std::int32_t top) override {
        return Record("SetPosition", left, top);
    }
    AgentResult Show(bool fast) override {
        visible = true;
        return Record("Show", fast);
    }
    AgentResult Speak(const std::string& text) override { return Record("Speak " + text); }
    AgentResult Play(const std::string& animation) override { return Record("Play " + animation); }
    AgentResult GetVisible(bool* isVisible) override {
        *isVisible = visible;
        return Record("GetVisible");
    }
    AgentResult StopAll(std::int32_t types) override { return Record("StopAll", types); }
    AgentResult ShowDefaultCharacterProperties(std::int16_t x, std::int16_t y,
                                               bool useDefaultPosition) override {
        return Record("ShowDefaultCharacterProperties", x, y, useDefaultPosition);
    }
    AgentResult Unload(std::int32_t id) override { return Record("Unload", id); }
    void ReleaseCharacter() override { Record("ReleaseCharacter"); }
    void ReleaseServer() override { Record("ReleaseServer"); }
    void Uninitialize() override { Record("Uninitialize"); }

    // The request's name followed by its numbers (a flag as 0 or 1), space-separated.
    template <typename... Numbers>
    AgentResult Record(std::string call, Numbers... numbers) {
        ((call += " " + std::to_string(static_cast<int>(numbers))), ...);
        calls.push_back(call);
        return call.substr(0, call.find(' ')) == failAt ? kAgentFailed : kAgentOk;
    }
};

}  // namespace wobbet::testing
