#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "agent/agent_server_port.h"

namespace wobbet::testing {

// A character server that writes every request, in order, to a log and fails the request named
// in failAt (the first word of its log line).
class FakeAgentServer : public AgentServerPort {
public:
    std::vector<std::string> calls;
    std::string failAt;
    std::int32_t characterId = 7;
    std::int32_t width = 128;
    std::int32_t height = 128;
    ScreenSize screen{1024, 768};
    bool visible = false;

    AgentResult Initialize() override { return Record("Initialize"); }
    AgentResult CreateServer() override { return Record("CreateServer"); }
    AgentResult LoadDefaultCharacter(std::int32_t* id) override {
        *id = characterId;
        return Record("LoadDefaultCharacter");
    }
    AgentResult GetCharacter(std::int32_t id) override {
        return Record("GetCharacter " + std::to_string(id));
    }
    AgentResult GetOriginalSize(std::int32_t* w, std::int32_t* h) override {
        *w = width;
        *h = height;
        return Record("GetOriginalSize");
    }
    ScreenSize GetScreenSize() override { return screen; }
    AgentResult SetPosition(std::int32_t left, std::int32_t top) override {
        return Record("SetPosition " + std::to_string(left) + " " + std::to_string(top));
    }
    AgentResult Show(bool fast) override {
        const AgentResult result = Record(std::string("Show ") + (fast ? "1" : "0"));
        visible = true;
        return result;
    }
    AgentResult Speak(const std::string& text) override { return Record("Speak " + text); }
    AgentResult Play(const std::string& animation) override { return Record("Play " + animation); }
    AgentResult GetVisible(bool* isVisible) override {
        *isVisible = visible;
        return Record("GetVisible");
    }
    AgentResult StopAll(std::int32_t types) override {
        return Record("StopAll " + std::to_string(types));
    }
    AgentResult ShowDefaultCharacterProperties(std::int16_t x, std::int16_t y,
                                               bool useDefaultPosition) override {
        return Record("ShowDefaultCharacterProperties " + std::to_string(x) + " " +
                      std::to_string(y) + " " + (useDefaultPosition ? "1" : "0"));
    }
    AgentResult Unload(std::int32_t id) override { return Record("Unload " + std::to_string(id)); }
    void ReleaseCharacter() override { Record("ReleaseCharacter"); }
    void ReleaseServer() override { Record("ReleaseServer"); }
    void Uninitialize() override { Record("Uninitialize"); }

private:
    AgentResult Record(const std::string& call) {
        calls.push_back(call);
        return call.substr(0, call.find(' ')) == failAt ? kAgentFailed : kAgentOk;
    }
};

}  // namespace wobbet::testing
