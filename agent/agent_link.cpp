#include "agent/agent_link.h"

namespace wobbet {
namespace {

// A spot along one axis: the draw modulo the room left beside the character, or 0 when the
// screen leaves no room, so the draw is still taken and later draws do not shift.
std::int32_t DrawOffset(RandomGenerator& random, std::int32_t screen, std::int32_t character) {
    const int draw = random.Next();
    const std::int64_t room = std::int64_t{screen} - character;
    if (room <= 0) {
        return 0;
    }
    return static_cast<std::int32_t>(draw % room);
}

}  // namespace

void AgentLink::StartAgent() {
    if (started_) {
        return;
    }
    started_ = true;
    if (AgentFailed(port_.Initialize())) {
        status_ = kInitializeFailed;
        return;
    }
    if (AgentFailed(port_.CreateServer()) ||
        AgentFailed(port_.LoadDefaultCharacter(&characterId_))) {
        status_ = kServerFailed;
        return;
    }
    if (AgentFailed(port_.GetCharacter(characterId_))) {
        status_ = kCharacterFailed;
        return;
    }
    haveCharacter_ = true;
    Place();
    port_.Show(false);
    PlayAnimation("Greet");
}

void AgentLink::Place() {
    std::int32_t width = 0;
    std::int32_t height = 0;
    port_.GetOriginalSize(&width, &height);
    const ScreenSize screen = port_.GetScreenSize();
    const std::int32_t top = DrawOffset(random_, screen.height, height);
    const std::int32_t left = DrawOffset(random_, screen.width, width);
    port_.SetPosition(left, top);
}

void AgentLink::Display(const std::string& text, ConversationHost& host) {
    if (Ready()) {
        port_.Speak(text);
    }
    host.ShowReply(text);
}

void AgentLink::PlayAnimation(const std::string& name) {
    if (Ready()) {
        port_.Play(name);
    }
}

void AgentLink::PrepareCharacter() {
    if (!Ready()) {
        return;
    }
    bool visible = false;
    port_.GetVisible(&visible);
    if (!visible) {
        port_.Show(false);
    } else {
        port_.StopAll(kStopSpeaking);
    }
}

void AgentLink::OnCharacters() {
    if (Ready()) {
        port_.ShowDefaultCharacterProperties(0, 0, true);
    }
}

void AgentLink::StopAgent() {
    if (!started_ || stopped_) {
        return;
    }
    stopped_ = true;
    if (haveCharacter_ && status_ > kCharacterFailed) {
        port_.ReleaseCharacter();
        port_.Unload(characterId_);
    }
    if (status_ > kServerFailed) {
        port_.ReleaseServer();
    }
    if (status_ > kInitializeFailed) {
        port_.Uninitialize();
    }
}

}  // namespace wobbet
