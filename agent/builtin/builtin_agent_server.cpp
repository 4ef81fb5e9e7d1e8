#include "agent/builtin/builtin_agent_server.h"

#include <algorithm>
#include <string>

#include "agent/builtin/properties_dialog.h"
#include "agent/builtin/sapi_voice.h"

namespace wobbet::builtin {
namespace {

constexpr std::int32_t kCharacterId = 1;
constexpr std::int32_t kStopAnimations = 1;

std::wstring FromAnsi(const std::string& text) {
    if (text.empty()) {
        return {};
    }
    const int length =
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(std::max(0, length)), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

}  // namespace

BuiltinAgentServer::BuiltinAgentServer() = default;

BuiltinAgentServer::~BuiltinAgentServer() {
    ReleaseServer();
}

AgentResult BuiltinAgentServer::CreateServer() {
    gdiplus_ = std::make_unique<GdiplusSession>();
    if (gdiplus_->Started()) {
        window_ = CharacterWindow::Create([this] { ShowDefaultCharacterProperties(0, 0, true); });
    }
    if (window_ == nullptr) {
        gdiplus_.reset();
        return kAgentFailed;
    }
    return kAgentOk;
}

AgentResult BuiltinAgentServer::LoadDefaultCharacter(std::int32_t* characterId) {
    if (window_ == nullptr) {
        return kAgentFailed;
    }
    settings_ = LoadVoiceSettings();
    window_->ApplySettings(settings_);
    loaded_ = true;
    *characterId = kCharacterId;
    return kAgentOk;
}

AgentResult BuiltinAgentServer::GetCharacter(std::int32_t characterId) {
    return loaded_ && characterId == kCharacterId ? kAgentOk : kAgentFailed;
}

AgentResult BuiltinAgentServer::GetOriginalSize(std::int32_t* width, std::int32_t* height) {
    if (window_ == nullptr) {
        return kAgentFailed;
    }
    *width = window_->Side();
    *height = window_->Side();
    return kAgentOk;
}

ScreenSize BuiltinAgentServer::GetScreenSize() {
    return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

AgentResult BuiltinAgentServer::SetPosition(std::int32_t left, std::int32_t top) {
    if (window_ == nullptr) {
        return kAgentFailed;
    }
    window_->MoveTo(left, top);
    return kAgentOk;
}

AgentResult BuiltinAgentServer::Show(bool fast) {
    if (window_ == nullptr) {
        return kAgentFailed;
    }
    window_->Performance().Show(fast, window_->Now());
    return kAgentOk;
}

AgentResult BuiltinAgentServer::Speak(const std::string& text) {
    if (window_ == nullptr) {
        return kAgentFailed;
    }
    window_->Performance().Speak(FromAnsi(text), window_->Now());
    return kAgentOk;
}

AgentResult BuiltinAgentServer::Play(const std::string& animation) {
    return window_ != nullptr && window_->Performance().Play(animation, window_->Now())
               ? kAgentOk
               : kAgentFailed;
}

AgentResult BuiltinAgentServer::GetVisible(bool* visible) {
    *visible = window_ != nullptr && window_->Performance().Visible();
    return window_ != nullptr ? kAgentOk : kAgentFailed;
}

AgentResult BuiltinAgentServer::StopAll(std::int32_t types) {
    if (window_ == nullptr) {
        return kAgentFailed;
    }
    if ((types & kStopSpeaking) != 0) {
        window_->Performance().StopSpeaking(window_->Now());
    }
    if ((types & kStopAnimations) != 0) {
        window_->Performance().StopAnimations(window_->Now());
    }
    return kAgentOk;
}

AgentResult BuiltinAgentServer::ShowDefaultCharacterProperties(std::int16_t, std::int16_t, bool) {
    if (!loaded_) {
        return kAgentFailed;
    }
    VoiceSettings chosen = settings_;
    if (RunPropertiesDialog(GetActiveWindow(), InstalledVoices(), &chosen) && chosen != settings_) {
        settings_ = chosen;
        SaveVoiceSettings(settings_);
        window_->ApplySettings(settings_);
    }
    return kAgentOk;
}

AgentResult BuiltinAgentServer::Unload(std::int32_t characterId) {
    if (!loaded_ || characterId != kCharacterId) {
        return kAgentFailed;
    }
    loaded_ = false;
    window_.reset();
    return kAgentOk;
}

void BuiltinAgentServer::ReleaseServer() {
    loaded_ = false;
    window_.reset();
    gdiplus_.reset();
}

}  // namespace wobbet::builtin
