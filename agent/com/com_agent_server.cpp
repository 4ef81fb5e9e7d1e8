#include "agent/com/com_agent_server.h"

#include <utility>

#include "agent/com/ansi_bstr.h"

namespace wobbet::com {
namespace {

HRESULT CreateRegisteredServer(IAgentEx** server) {
    return CoCreateInstance(kAgentServerClass, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                            kAgentExInterface, reinterpret_cast<void**>(server));
}

}  // namespace

ComAgentServer::ComAgentServer() : ComAgentServer(CreateRegisteredServer) {}

ComAgentServer::ComAgentServer(ServerFactory createServer)
    : createServer_(std::move(createServer)) {
    VariantInit(&loadPath_);
}

ComAgentServer::~ComAgentServer() {
    ReleaseCharacter();
    ReleaseServer();
}

AgentResult ComAgentServer::Initialize() {
    return CoInitialize(nullptr);
}

AgentResult ComAgentServer::CreateServer() {
    const HRESULT result = createServer_(&server_);
    return SUCCEEDED(result) && server_ == nullptr ? E_POINTER : result;
}

AgentResult ComAgentServer::LoadDefaultCharacter(std::int32_t* characterId) {
    // An empty load path asks for the user's default character.
    VariantInit(&loadPath_);
    loadPath_.vt = VT_EMPTY;
    LONG id = 0;
    const HRESULT result = server_->Load(loadPath_, &id, &requestId_);
    *characterId = id;
    return result;
}

AgentResult ComAgentServer::GetCharacter(std::int32_t characterId) {
    const HRESULT result = server_->GetCharacterEx(characterId, &character_);
    return SUCCEEDED(result) && character_ == nullptr ? E_POINTER : result;
}

AgentResult ComAgentServer::GetOriginalSize(std::int32_t* width, std::int32_t* height) {
    LONG characterWidth = 0;
    LONG characterHeight = 0;
    const HRESULT result = character_->GetOriginalSize(&characterWidth, &characterHeight);
    *width = characterWidth;
    *height = characterHeight;
    return result;
}

ScreenSize ComAgentServer::GetScreenSize() {
    return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

AgentResult ComAgentServer::SetPosition(std::int32_t left, std::int32_t top) {
    return character_->SetPosition(left, top);
}

AgentResult ComAgentServer::Show(bool fast) {
    return character_->Show(fast ? TRUE : FALSE, &requestId_);
}

AgentResult ComAgentServer::Speak(const std::string& text) {
    const AnsiBstr bstr(text);
    return character_->Speak(bstr.Get(), nullptr, &requestId_);
}

AgentResult ComAgentServer::Play(const std::string& animation) {
    const AnsiBstr bstr(animation);
    return character_->Play(bstr.Get(), &requestId_);
}

AgentResult ComAgentServer::GetVisible(bool* visible) {
    LONG isVisible = FALSE;
    const HRESULT result = character_->GetVisible(&isVisible);
    *visible = isVisible != FALSE;
    return result;
}

AgentResult ComAgentServer::StopAll(std::int32_t types) {
    return character_->StopAll(types);
}

AgentResult ComAgentServer::ShowDefaultCharacterProperties(std::int16_t x, std::int16_t y,
                                                           bool useDefaultPosition) {
    return server_->ShowDefaultCharacterProperties(x, y, useDefaultPosition ? TRUE : FALSE);
}

AgentResult ComAgentServer::Unload(std::int32_t characterId) {
    return server_->Unload(characterId);
}

void ComAgentServer::ReleaseCharacter() {
    if (character_ != nullptr) {
        character_->Release();
        character_ = nullptr;
    }
}

void ComAgentServer::ReleaseServer() {
    if (server_ != nullptr) {
        server_->Release();
        server_ = nullptr;
    }
    VariantClear(&loadPath_);
}

void ComAgentServer::Uninitialize() {
    CoUninitialize();
}

}  // namespace wobbet::com
