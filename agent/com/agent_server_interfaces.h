#pragma once

// The character server's published COM interfaces, declared here with every method in its
// vtable order: calls go by slot, so an entry out of place calls the wrong method at run time.
// The inherited IUnknown and IDispatch methods come first through the base class.

// Brings in COM and automation (ole2.h) too.
#include <windows.h>

namespace wobbet::com {

inline constexpr CLSID kAgentServerClass = {
    0xD45FD2FC, 0x5C6E, 0x11D1, {0x9E, 0xC1, 0x00, 0xC0, 0x4F, 0xD7, 0x08, 0x1F}};
inline constexpr IID kAgentExInterface = {
    0x48D12BA0, 0x5B77, 0x11D1, {0x9E, 0xC1, 0x00, 0xC0, 0x4F, 0xD7, 0x08, 0x1F}};

struct IAgentCharacter : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE GetVisible(LONG* visible) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetPosition(LONG left, LONG top) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPosition(LONG* left, LONG* top) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetSize(LONG width, LONG height) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSize(LONG* width, LONG* height) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetName(BSTR* name) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDescription(BSTR* description) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetTTSSpeed(LONG* speed) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetTTSPitch(SHORT* pitch) = 0;
    virtual HRESULT STDMETHODCALLTYPE Activate(SHORT state) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetIdleOn(LONG on) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetIdleOn(LONG* on) = 0;
    virtual HRESULT STDMETHODCALLTYPE Prepare(LONG type, BSTR name, LONG queue,
                                              LONG* requestId) = 0;
    virtual HRESULT STDMETHODCALLTYPE Play(BSTR animation, LONG* requestId) = 0;
    virtual HRESULT STDMETHODCALLTYPE Stop(LONG requestId) = 0;
    virtual HRESULT STDMETHODCALLTYPE StopAll(LONG types) = 0;
    virtual HRESULT STDMETHODCALLTYPE Wait(LONG waitForRequestId, LONG* requestId) = 0;
    virtual HRESULT STDMETHODCALLTYPE Interrupt(LONG interruptRequestId, LONG* requestId) = 0;
    virtual HRESULT STDMETHODCALLTYPE Show(LONG fast, LONG* requestId) = 0;
    virtual HRESULT STDMETHODCALLTYPE Hide(LONG fast, LONG* requestId) = 0;
    virtual HRESULT STDMETHODCALLTYPE Speak(BSTR text, BSTR url, LONG* requestId) = 0;
    virtual HRESULT STDMETHODCALLTYPE MoveTo(SHORT x, SHORT y, LONG speed, LONG* requestId) = 0;
    virtual HRESULT STDMETHODCALLTYPE GestureAt(SHORT x, SHORT y, LONG* requestId) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetMoveCause(LONG* cause) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetVisibilityCause(LONG* cause) = 0;
    virtual HRESULT STDMETHODCALLTYPE HasOtherClients(LONG* otherClients) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetSoundEffectsOn(LONG on) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSoundEffectsOn(LONG* on) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetName(BSTR name) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetDescription(BSTR description) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetExtraData(BSTR* extraData) = 0;
};

struct IAgentCharacterEx : public IAgentCharacter {
    virtual HRESULT STDMETHODCALLTYPE ShowPopupMenu(SHORT x, SHORT y) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetAutoPopupMenu(LONG autoPopupMenu) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetAutoPopupMenu(LONG* autoPopupMenu) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetHelpFileName(BSTR* name) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetHelpFileName(BSTR name) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetHelpModeOn(LONG helpModeOn) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetHelpModeOn(LONG* helpModeOn) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetHelpContextID(LONG id) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetHelpContextID(LONG* id) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetActive(SHORT* state) = 0;
    virtual HRESULT STDMETHODCALLTYPE Listen(LONG listen) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetLanguageID(LONG languageId) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetLanguageID(LONG* languageId) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetTTSModeID(BSTR* modeId) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetTTSModeID(BSTR modeId) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSRModeID(BSTR* modeId) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetSRModeID(BSTR modeId) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetGUID(BSTR* id) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetOriginalSize(LONG* width, LONG* height) = 0;
    virtual HRESULT STDMETHODCALLTYPE Think(BSTR text, LONG* requestId) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetVersion(SHORT* major, SHORT* minor) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetAnimationNames(IUnknown** names) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSRStatus(LONG* status) = 0;
};

struct IAgent : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE Load(VARIANT loadKey, LONG* characterId, LONG* requestId) = 0;
    virtual HRESULT STDMETHODCALLTYPE Unload(LONG characterId) = 0;
    virtual HRESULT STDMETHODCALLTYPE Register(IUnknown* notifySink, LONG* sinkId) = 0;
    virtual HRESULT STDMETHODCALLTYPE Unregister(LONG sinkId) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCharacter(LONG characterId, IDispatch** character) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSuspended(LONG* suspended) = 0;
};

struct IAgentEx : public IAgent {
    virtual HRESULT STDMETHODCALLTYPE GetCharacterEx(LONG characterId,
                                                     IAgentCharacterEx** character) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetVersion(SHORT* major, SHORT* minor) = 0;
    virtual HRESULT STDMETHODCALLTYPE ShowDefaultCharacterProperties(SHORT x, SHORT y,
                                                                     LONG useDefaultPosition) = 0;
};

}  // namespace wobbet::com
