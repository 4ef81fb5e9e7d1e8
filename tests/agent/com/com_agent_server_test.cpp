// The COM backend against a server whose vtables hold the methods the program calls in the slots
// the platform's own declarations give them: a misplaced slot reaches the wrong method or none.
#include "agent/com/com_agent_server.h"

#include <agtsvr.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <concepts>
#include <optional>

#include "agent/agent_link.h"
#include "tests/support/recording_host.h"
#include "tests/support/scripted_random.h"

namespace wobbet::testing {
namespace {

struct PlatformServer;

// A COM object: a pointer to its vtable first, then its server.
struct Object {
    void* const* methods;
    PlatformServer* owner;
    void* vtable[64] = {};
};

// Logs every call but AddRef with its arguments; every number it hands back (ids, size,
// visibility) is 7; the method named by failAt fails. Both objects count references together.
struct PlatformServer {
    PlatformServer();
    std::vector<std::wstring> calls;
    std::wstring failAt;
    long references = 0;
    Object server{server.vtable, this};
    Object character{character.vtable, this};
};

template <std::size_t size>
struct Name {
    constexpr Name(const wchar_t (&name)[size]) { std::copy_n(name, size, text); }
    wchar_t text[size];
};

// The slot of a virtual method, from GCC's member pointer layout: 1 + its offset in the vtable.
template <typename Method>
std::size_t SlotOf(Method method) {
    return (std::bit_cast<std::array<std::uintptr_t, 2>>(method)[0] - 1) / sizeof(void*);
}

template <std::integral Number>
std::wstring Argument(Object&, Number number) {
    return L" " + std::to_wstring(number);
}
std::wstring Argument(Object&, VARIANT key) {
    return L" vt " + std::to_wstring(key.vt);
}
std::wstring Argument(Object&, BSTR text) {
    return text == nullptr ? L" (null)" : L" " + std::wstring(text, SysStringLen(text));
}
std::wstring Argument(Object&, LONG* number) {
    *number = 7;
    return {};
}
std::wstring Argument(Object& server, ::IAgentCharacterEx** character) {
    *character = reinterpret_cast<::IAgentCharacterEx*>(&server.owner->character);
    ++server.owner->references;
    return {};
}

ULONG STDMETHODCALLTYPE AddRef(::IUnknown* self) {
    return static_cast<ULONG>(++reinterpret_cast<Object*>(self)->owner->references);
}
ULONG STDMETHODCALLTYPE Release(::IUnknown* self) {
    reinterpret_cast<Object*>(self)->owner->calls.push_back(L"Release");
    return static_cast<ULONG>(--reinterpret_cast<Object*>(self)->owner->references);
}
template <Name name, typename Interface, typename... Arguments>
HRESULT STDMETHODCALLTYPE Logged(Interface* self, Arguments... arguments) {
    Object& object = *reinterpret_cast<Object*>(self);
    std::wstring call = name.text;
    ((call += Argument(object, arguments)), ...);
    object.owner->calls.push_back(call);
    return object.owner->failAt == name.text ? kAgentFailed : kAgentOk;
}
// Puts the logging stand-in for the method in the slot the platform gives it.
template <Name name, typename Interface, typename... Arguments>
void Fill(Object& object, HRESULT (STDMETHODCALLTYPE Interface::*method)(Arguments...)) {
    object.vtable[SlotOf(method)] = reinterpret_cast<void*>(&Logged<name, Interface, Arguments...>);
}

PlatformServer::PlatformServer() {
    for (Object* object : {&server, &character}) {
        object->vtable[SlotOf(&::IUnknown::AddRef)] = reinterpret_cast<void*>(&AddRef);
        object->vtable[SlotOf(&::IUnknown::Release)] = reinterpret_cast<void*>(&Release);
    }
    Fill<L"Load">(server, &::IAgentEx::Load);
    Fill<L"Unload">(server, &::IAgentEx::Unload);
    Fill<L"GetCharacterEx">(server, &::IAgentEx::GetCharacterEx);
    Fill<L"ShowDefaultCharacterProperties">(server, &::IAgentEx::ShowDefaultCharacterProperties);
    Fill<L"GetVisible">(character, &::IAgentCharacterEx::GetVisible);
    Fill<L"SetPosition">(character, &::IAgentCharacterEx::SetPosition);
    Fill<L"GetOriginalSize">(character, &::IAgentCharacterEx::GetOriginalSize);
    Fill<L"Show">(character, &::IAgentCharacterEx::Show);
    Fill<L"Speak">(character, &::IAgentCharacterEx::Speak);
    Fill<L"Play">(character, &::IAgentCharacterEx::Play);
    Fill<L"StopAll">(character, &::IAgentCharacterEx::StopAll);
}

// A method that fails, the stage start-up ends at, and the calls the server sees.
struct ComCase {
    const wchar_t* failAt;
    std::int16_t status;
    std::vector<std::wstring> calls;
};

class ComAgentServerTest : public ::testing::TestWithParam<ComCase> {
protected:
    PlatformServer platform;
    std::optional<com::ComAgentServer> port{
        std::in_place, [this](com::IAgentEx** created) {
            ++platform.references;
            *created = reinterpret_cast<com::IAgentEx*>(&platform.server);
            return S_OK;
        }};
    ScriptedRandom random{0, 0};
    AgentLink link{*port, random};
    RecordingHost host;
};

// Texts arrive converted from code page 1252, an empty one as an empty BSTR; all is released.
TEST_P(ComAgentServerTest, ReachesTheSlotsTheProgramCallsAndLeavesNoReferenceBehind) {
    ASSERT_EQ(GetACP(), 1252u);
    platform.failAt = GetParam().failAt;
    link.StartAgent();
    EXPECT_EQ(link.AgentStatus(), GetParam().status);
    link.Display("Na\xefve? \x80 5.", host);
    link.PrepareCharacter();
    link.PlayAnimation("");
    link.OnCharacters();
    link.StopAgent();
    port.reset();
    EXPECT_EQ(platform.calls, GetParam().calls);
    EXPECT_EQ(platform.references, 0);
}

INSTANTIATE_TEST_SUITE_P(
    EachStep, ComAgentServerTest,
    ::testing::Values(ComCase{L"",
                              AgentLink::kReady,
                              {L"Load vt 0", L"GetCharacterEx 7", L"GetOriginalSize",
                               L"SetPosition 0 0", L"Show 0", L"Play Greet",
                               L"Speak Na\u00efve? \u20ac 5. (null)", L"GetVisible", L"StopAll 4",
                               L"Play ", L"ShowDefaultCharacterProperties 0 0 1", L"Release",
                               L"Unload 7", L"Release"}},
                      ComCase{L"Load", AgentLink::kServerFailed, {L"Load vt 0", L"Release"}},
                      // A server that fails but hands out the character all the same.
                      ComCase{L"GetCharacterEx",
                              AgentLink::kCharacterFailed,
                              {L"Load vt 0", L"GetCharacterEx 7", L"Release", L"Release"}}));

}  // namespace
}  // namespace wobbet::testing
