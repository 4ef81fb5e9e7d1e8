#include "agent/builtin/sapi_voice.h"

#include <sapi.h>
#include <sphelper.h>

#include <memory>

namespace wobbet::builtin {
namespace {

// The event kinds asked for, with the two bits every interest mask must carry.
constexpr ULONGLONG EventFlag(SPEVENTENUM event) {
    return 1ULL << event;
}
constexpr ULONGLONG kInterest = EventFlag(SPEI_WORD_BOUNDARY) | EventFlag(SPEI_END_INPUT_STREAM) |
                                EventFlag(SPEI_RESERVED1) | EventFlag(SPEI_RESERVED2);

// Frees what an event's lParam may own.
void ClearEvent(SPEVENT& event) {
    switch (event.elParamType) {
        case SPET_LPARAM_IS_TOKEN:
        case SPET_LPARAM_IS_OBJECT:
            reinterpret_cast<IUnknown*>(event.lParam)->Release();
            break;
        case SPET_LPARAM_IS_POINTER:
        case SPET_LPARAM_IS_STRING:
            CoTaskMemFree(reinterpret_cast<void*>(event.lParam));
            break;
        default:
            break;
    }
}

std::wstring TakeString(WCHAR* text) {
    std::wstring taken = text != nullptr ? text : L"";
    CoTaskMemFree(text);
    return taken;
}

// The token of the voice with that id, or null.
ISpObjectToken* FindVoice(const std::wstring& id) {
    IEnumSpObjectTokens* tokens = nullptr;
    if (FAILED(SpEnumTokens(SPCAT_VOICES, nullptr, nullptr, &tokens))) {
        return nullptr;
    }
    ISpObjectToken* found = nullptr;
    for (ISpObjectToken* token = nullptr;
         found == nullptr && tokens->Next(1, &token, nullptr) == S_OK;) {
        WCHAR* tokenId = nullptr;
        if (SUCCEEDED(token->GetId(&tokenId)) && TakeString(tokenId) == id) {
            found = token;
        } else {
            token->Release();
        }
    }
    tokens->Release();
    return found;
}

}  // namespace

std::vector<InstalledVoice> InstalledVoices() {
    std::vector<InstalledVoice> voices;
    IEnumSpObjectTokens* tokens = nullptr;
    if (FAILED(SpEnumTokens(SPCAT_VOICES, nullptr, nullptr, &tokens))) {
        return voices;
    }
    for (ISpObjectToken* token = nullptr; tokens->Next(1, &token, nullptr) == S_OK;) {
        WCHAR* id = nullptr;
        WCHAR* name = nullptr;
        if (SUCCEEDED(token->GetId(&id))) {
            const HRESULT described = SpGetDescription(token, &name);
            std::wstring idText = TakeString(id);
            std::wstring nameText = SUCCEEDED(described) ? TakeString(name) : idText;
            voices.push_back({std::move(idText), std::move(nameText)});
        }
        token->Release();
    }
    tokens->Release();
    return voices;
}

std::unique_ptr<SapiVoice> SapiVoice::Create(HWND window, UINT message) {
    ISpVoice* voice = nullptr;
    if (FAILED(CoCreateInstance(CLSID_SpVoice, nullptr, CLSCTX_ALL, IID_ISpVoice,
                                reinterpret_cast<void**>(&voice))) ||
        voice == nullptr) {
        return nullptr;
    }
    std::unique_ptr<SapiVoice> created(new SapiVoice(voice));
    created->reportsEvents_ = SUCCEEDED(voice->SetInterest(kInterest, kInterest)) &&
                              SUCCEEDED(voice->SetNotifyWindowMessage(window, message, 0, 0));
    return created;
}

SapiVoice::~SapiVoice() {
    Purge();
    voice_->Release();
}

bool SapiVoice::Speak(const std::wstring& text, std::uint32_t* stream) {
    ULONG number = 0;
    if (FAILED(voice_->Speak(text.c_str(), SPF_ASYNC | SPF_IS_NOT_XML, &number))) {
        return false;
    }
    *stream = number;
    return true;
}

void SapiVoice::Purge() {
    voice_->Speak(nullptr, SPF_ASYNC | SPF_PURGEBEFORESPEAK, nullptr);
}

void SapiVoice::Apply(const VoiceSettings& settings) {
    if (!settings.voice.empty()) {
        if (ISpObjectToken* token = FindVoice(settings.voice)) {
            voice_->SetVoice(token);
            token->Release();
        }
    }
    voice_->SetRate(settings.rate);
}

bool SapiVoice::ReadEvents(const Handlers& handlers) {
    SPEVENT event{};
    ULONG fetched = 0;
    HRESULT result = S_OK;
    while ((result = voice_->GetEvents(1, &event, &fetched)) == S_OK && fetched == 1) {
        if (event.eEventId == SPEI_WORD_BOUNDARY) {
            handlers.word(event.ulStreamNum, static_cast<std::size_t>(event.lParam),
                          static_cast<std::size_t>(event.wParam));
        } else if (event.eEventId == SPEI_END_INPUT_STREAM) {
            handlers.ended(event.ulStreamNum);
        }
        ClearEvent(event);
    }
    return SUCCEEDED(result);
}

}  // namespace wobbet::builtin
