// Runs under Wine: the COM backend against the platform's interface definitions, against fake
// server objects, and against the real registry, where no character server is installed.

#include "agent/com/com_agent_server.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "agent/agent_link.h"
#include "agent/com/ansi_bstr.h"
#include "tests/agent/com/agent_server_methods.h"
#include "tests/agent/com/platform_slots.h"
#include "tests/support/recording_host.h"

namespace wobbet::com {
namespace {

int failures = 0;

void Expect(bool passed, const std::string& what) {
    if (!passed) {
        ++failures;
        std::printf("FAILED: %s\n", what.c_str());
    }
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string joined;
    for (const std::string& line : lines) {
        joined += "\n    " + line;
    }
    return joined;
}

void ExpectLines(const std::vector<std::string>& actual, const std::vector<std::string>& expected,
                 const char* what) {
    Expect(actual == expected,
           std::string(what) + ": got" + Joined(actual) + "\n  expected" + Joined(expected));
}

// The text of a BSTR with every character outside printable ASCII written as \uXXXX.
std::string Readable(BSTR text) {
    if (text == nullptr) {
        return "(null)";
    }
    std::string readable;
    for (UINT i = 0; i < SysStringLen(text); ++i) {
        const wchar_t c = text[i];
        if (c >= 0x20 && c < 0x7F) {
            readable += static_cast<char>(c);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
            readable += escaped;
        }
    }
    return readable;
}

// The slot a virtual method occupies, from GCC's member pointer layout: 1 + its byte offset.
template <typename Method>
int SlotOf(Method method) {
    struct {
        std::uintptr_t function;
        std::ptrdiff_t adjustment;
    } raw;
    static_assert(sizeof(raw) == sizeof(method));
    std::memcpy(&raw, &method, sizeof raw);
    Expect((raw.function & 1u) == 1u, "member pointer is virtual");
    return static_cast<int>((raw.function - 1) / sizeof(void*));
}

void DeclaredSlotsMatchThePlatformDefinitions() {
    const char* serverNames[] = {
#define NAME(method) #method,
        WOBBET_AGENT_EX_METHODS(NAME)};
    const int serverSlots[] = {
#define SERVER_SLOT(method) SlotOf(&IAgentEx::method),
        WOBBET_AGENT_EX_METHODS(SERVER_SLOT)};
    for (std::size_t i = 0; i < std::size(serverSlots); ++i) {
        Expect(serverSlots[i] == kPlatformServerSlots[i],
               std::string("IAgentEx::") + serverNames[i] + " is in slot " +
                   std::to_string(serverSlots[i]) + ", the platform has it in " +
                   std::to_string(kPlatformServerSlots[i]));
    }

    const char* characterNames[] = {WOBBET_AGENT_CHARACTER_EX_METHODS(NAME)};
    const int characterSlots[] = {
#define CHARACTER_SLOT(method) SlotOf(&IAgentCharacterEx::method),
        WOBBET_AGENT_CHARACTER_EX_METHODS(CHARACTER_SLOT)};
    for (std::size_t i = 0; i < std::size(characterSlots); ++i) {
        Expect(characterSlots[i] == kPlatformCharacterSlots[i],
               std::string("IAgentCharacterEx::") + characterNames[i] + " is in slot " +
                   std::to_string(characterSlots[i]) + ", the platform has it in " +
                   std::to_string(kPlatformCharacterSlots[i]));
    }
}

// Shared by the two fakes: reference counting and the IDispatch methods nobody should call.
template <typename Interface>
class FakeComObject : public Interface {
public:
    FakeComObject(std::vector<std::string>& log, const char* name) : log_(log), name_(name) {}

    LONG references = 0;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
        *object = nullptr;
        return Unexpected("QueryInterface");
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++references); }
    ULONG STDMETHODCALLTYPE Release() override {
        log_.push_back(std::string("Release ") + name_);
        return static_cast<ULONG>(--references);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override {
        return Unexpected("GetTypeInfoCount");
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override {
        return Unexpected("GetTypeInfo");
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return Unexpected("GetIDsOfNames");
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return Unexpected("Invoke");
    }

protected:
    HRESULT Log(const std::string& call) {
        log_.push_back(call);
        return S_OK;
    }
    HRESULT Unexpected(const char* method) {
        log_.push_back(std::string("unexpected ") + method);
        return E_NOTIMPL;
    }

private:
    std::vector<std::string>& log_;
    const char* name_;
};

class FakeCharacter final : public FakeComObject<IAgentCharacterEx> {
public:
    explicit FakeCharacter(std::vector<std::string>& log) : FakeComObject(log, "character") {}

    LONG visible = FALSE;

    HRESULT STDMETHODCALLTYPE GetVisible(LONG* isVisible) override {
        *isVisible = visible;
        return Log("GetVisible");
    }
    HRESULT STDMETHODCALLTYPE SetPosition(LONG left, LONG top) override {
        return Log("SetPosition " + std::to_string(left) + " " + std::to_string(top));
    }
    HRESULT STDMETHODCALLTYPE Play(BSTR animation, LONG* requestId) override {
        *requestId = 2;
        return Log("Play " + Readable(animation));
    }
    HRESULT STDMETHODCALLTYPE StopAll(LONG types) override {
        return Log("StopAll " + std::to_string(types));
    }
    HRESULT STDMETHODCALLTYPE Show(LONG fast, LONG* requestId) override {
        *requestId = 3;
        visible = TRUE;
        return Log("Show " + std::to_string(fast));
    }
    HRESULT STDMETHODCALLTYPE Speak(BSTR text, BSTR url, LONG* requestId) override {
        *requestId = 4;
        return Log("Speak " + Readable(text) + " url " + Readable(url));
    }
    HRESULT STDMETHODCALLTYPE GetOriginalSize(LONG* width, LONG* height) override {
        *width = 128;
        *height = 128;
        return Log("GetOriginalSize");
    }

    HRESULT STDMETHODCALLTYPE GetPosition(LONG*, LONG*) override {
        return Unexpected("GetPosition");
    }
    HRESULT STDMETHODCALLTYPE SetSize(LONG, LONG) override { return Unexpected("SetSize"); }
    HRESULT STDMETHODCALLTYPE GetSize(LONG*, LONG*) override { return Unexpected("GetSize"); }
    HRESULT STDMETHODCALLTYPE GetName(BSTR*) override { return Unexpected("GetName"); }
    HRESULT STDMETHODCALLTYPE GetDescription(BSTR*) override {
        return Unexpected("GetDescription");
    }
    HRESULT STDMETHODCALLTYPE GetTTSSpeed(LONG*) override { return Unexpected("GetTTSSpeed"); }
    HRESULT STDMETHODCALLTYPE GetTTSPitch(SHORT*) override { return Unexpected("GetTTSPitch"); }
    HRESULT STDMETHODCALLTYPE Activate(SHORT) override { return Unexpected("Activate"); }
    HRESULT STDMETHODCALLTYPE SetIdleOn(LONG) override { return Unexpected("SetIdleOn"); }
    HRESULT STDMETHODCALLTYPE GetIdleOn(LONG*) override { return Unexpected("GetIdleOn"); }
    HRESULT STDMETHODCALLTYPE Prepare(LONG, BSTR, LONG, LONG*) override {
        return Unexpected("Prepare");
    }
    HRESULT STDMETHODCALLTYPE Stop(LONG) override { return Unexpected("Stop"); }
    HRESULT STDMETHODCALLTYPE Wait(LONG, LONG*) override { return Unexpected("Wait"); }
    HRESULT STDMETHODCALLTYPE Interrupt(LONG, LONG*) override { return Unexpected("Interrupt"); }
    HRESULT STDMETHODCALLTYPE Hide(LONG, LONG*) override { return Unexpected("Hide"); }
    HRESULT STDMETHODCALLTYPE MoveTo(SHORT, SHORT, LONG, LONG*) override {
        return Unexpected("MoveTo");
    }
    HRESULT STDMETHODCALLTYPE GestureAt(SHORT, SHORT, LONG*) override {
        return Unexpected("GestureAt");
    }
    HRESULT STDMETHODCALLTYPE GetMoveCause(LONG*) override { return Unexpected("GetMoveCause"); }
    HRESULT STDMETHODCALLTYPE GetVisibilityCause(LONG*) override {
        return Unexpected("GetVisibilityCause");
    }
    HRESULT STDMETHODCALLTYPE HasOtherClients(LONG*) override {
        return Unexpected("HasOtherClients");
    }
    HRESULT STDMETHODCALLTYPE SetSoundEffectsOn(LONG) override {
        return Unexpected("SetSoundEffectsOn");
    }
    HRESULT STDMETHODCALLTYPE GetSoundEffectsOn(LONG*) override {
        return Unexpected("GetSoundEffectsOn");
    }
    HRESULT STDMETHODCALLTYPE SetName(BSTR) override { return Unexpected("SetName"); }
    HRESULT STDMETHODCALLTYPE SetDescription(BSTR) override { return Unexpected("SetDescription"); }
    HRESULT STDMETHODCALLTYPE GetExtraData(BSTR*) override { return Unexpected("GetExtraData"); }
    HRESULT STDMETHODCALLTYPE ShowPopupMenu(SHORT, SHORT) override {
        return Unexpected("ShowPopupMenu");
    }
    HRESULT STDMETHODCALLTYPE SetAutoPopupMenu(LONG) override {
        return Unexpected("SetAutoPopupMenu");
    }
    HRESULT STDMETHODCALLTYPE GetAutoPopupMenu(LONG*) override {
        return Unexpected("GetAutoPopupMenu");
    }
    HRESULT STDMETHODCALLTYPE GetHelpFileName(BSTR*) override {
        return Unexpected("GetHelpFileName");
    }
    HRESULT STDMETHODCALLTYPE SetHelpFileName(BSTR) override {
        return Unexpected("SetHelpFileName");
    }
    HRESULT STDMETHODCALLTYPE SetHelpModeOn(LONG) override { return Unexpected("SetHelpModeOn"); }
    HRESULT STDMETHODCALLTYPE GetHelpModeOn(LONG*) override { return Unexpected("GetHelpModeOn"); }
    HRESULT STDMETHODCALLTYPE SetHelpContextID(LONG) override {
        return Unexpected("SetHelpContextID");
    }
    HRESULT STDMETHODCALLTYPE GetHelpContextID(LONG*) override {
        return Unexpected("GetHelpContextID");
    }
    HRESULT STDMETHODCALLTYPE GetActive(SHORT*) override { return Unexpected("GetActive"); }
    HRESULT STDMETHODCALLTYPE Listen(LONG) override { return Unexpected("Listen"); }
    HRESULT STDMETHODCALLTYPE SetLanguageID(LONG) override { return Unexpected("SetLanguageID"); }
    HRESULT STDMETHODCALLTYPE GetLanguageID(LONG*) override { return Unexpected("GetLanguageID"); }
    HRESULT STDMETHODCALLTYPE GetTTSModeID(BSTR*) override { return Unexpected("GetTTSModeID"); }
    HRESULT STDMETHODCALLTYPE SetTTSModeID(BSTR) override { return Unexpected("SetTTSModeID"); }
    HRESULT STDMETHODCALLTYPE GetSRModeID(BSTR*) override { return Unexpected("GetSRModeID"); }
    HRESULT STDMETHODCALLTYPE SetSRModeID(BSTR) override { return Unexpected("SetSRModeID"); }
    HRESULT STDMETHODCALLTYPE GetGUID(BSTR*) override { return Unexpected("GetGUID"); }
    HRESULT STDMETHODCALLTYPE Think(BSTR, LONG*) override { return Unexpected("Think"); }
    HRESULT STDMETHODCALLTYPE GetVersion(SHORT*, SHORT*) override {
        return Unexpected("GetVersion");
    }
    HRESULT STDMETHODCALLTYPE GetAnimationNames(IUnknown**) override {
        return Unexpected("GetAnimationNames");
    }
    HRESULT STDMETHODCALLTYPE GetSRStatus(LONG*) override { return Unexpected("GetSRStatus"); }
};

class FakeServer final : public FakeComObject<IAgentEx> {
public:
    FakeServer(std::vector<std::string>& log, FakeCharacter& character)
        : FakeComObject(log, "server"), character_(character) {}

    HRESULT STDMETHODCALLTYPE Load(VARIANT loadKey, LONG* characterId, LONG* requestId) override {
        *characterId = 7;
        *requestId = 1;
        return Log("Load vt " + std::to_string(loadKey.vt));
    }
    HRESULT STDMETHODCALLTYPE Unload(LONG characterId) override {
        return Log("Unload " + std::to_string(characterId));
    }
    HRESULT STDMETHODCALLTYPE GetCharacterEx(LONG characterId,
                                             IAgentCharacterEx** character) override {
        character_.AddRef();
        *character = &character_;
        return Log("GetCharacterEx " + std::to_string(characterId));
    }
    HRESULT STDMETHODCALLTYPE ShowDefaultCharacterProperties(SHORT x, SHORT y,
                                                             LONG useDefaultPosition) override {
        return Log("ShowDefaultCharacterProperties " + std::to_string(x) + " " + std::to_string(y) +
                   " " + std::to_string(useDefaultPosition));
    }

    HRESULT STDMETHODCALLTYPE Register(IUnknown*, LONG*) override { return Unexpected("Register"); }
    HRESULT STDMETHODCALLTYPE Unregister(LONG) override { return Unexpected("Unregister"); }
    HRESULT STDMETHODCALLTYPE GetCharacter(LONG, IDispatch**) override {
        return Unexpected("GetCharacter");
    }
    HRESULT STDMETHODCALLTYPE GetSuspended(LONG*) override { return Unexpected("GetSuspended"); }
    HRESULT STDMETHODCALLTYPE GetVersion(SHORT*, SHORT*) override {
        return Unexpected("GetVersion");
    }

private:
    FakeCharacter& character_;
};

class ZeroRandom final : public RandomGenerator {
public:
    void Seed(std::uint32_t) override {}
    int Next() override { return 0; }
};

void AConversationMakesTheseRequestsWithTheseArguments() {
    std::vector<std::string> log;
    FakeCharacter character(log);
    FakeServer server(log, character);
    ComAgentServer port([&server](IAgentEx** created) {
        server.AddRef();
        *created = &server;
        return S_OK;
    });
    ZeroRandom random;
    AgentLink link(port, random);
    testing::RecordingHost host;

    link.StartAgent();
    Expect(link.AgentStatus() == AgentLink::kReady, "start-up with a server succeeds");
    link.Display("Caf\xe9 au lait.", host);
    link.PrepareCharacter();
    link.PlayAnimation("");
    link.OnCharacters();
    link.StopAgent();

    ExpectLines(
        log,
        {"Load vt 0", "GetCharacterEx 7", "GetOriginalSize", "SetPosition 0 0", "Show 0",
         "Play Greet", "Speak Caf\\u00e9 au lait. url (null)", "GetVisible", "StopAll 4", "Play ",
         "ShowDefaultCharacterProperties 0 0 1", "Release character", "Unload 7", "Release server"},
        "requests");
    ExpectLines(host.calls, {"ShowReply Caf\xe9 au lait."}, "host calls");
    Expect(character.references == 0 && server.references == 0,
           "every reference taken is released");
}

void AServerThatGivesNoObjectFailsItsStep() {
    ComAgentServer port([](IAgentEx** created) {
        *created = nullptr;
        return S_OK;
    });
    ZeroRandom random;
    AgentLink link(port, random);
    link.StartAgent();
    Expect(link.AgentStatus() == AgentLink::kServerFailed, "a null server object fails step 1");
    link.StopAgent();
}

void WithoutARegisteredServerStartUpEndsAtStageOne() {
    ComAgentServer port;
    CrtRandom random;
    AgentLink link(port, random);
    testing::RecordingHost host;

    link.StartAgent();
    Expect(link.AgentStatus() == AgentLink::kServerFailed,
           "status without a server is " + std::to_string(link.AgentStatus()));
    link.PrepareCharacter();
    link.Display("Hello.", host);
    link.OnCharacters();
    link.StopAgent();
    ExpectLines(host.calls, {"ShowReply Hello."}, "host calls without a server");
}

void TextsAreConvertedFromTheAnsiCodePage() {
    Expect(GetACP() == 1252, "the tests run with code page 1252, not " + std::to_string(GetACP()));
    const AnsiBstr empty("");
    Expect(empty.Get() != nullptr && SysStringLen(empty.Get()) == 0, "empty text, empty BSTR");
    const AnsiBstr accented("na\xefve \x80");
    Expect(Readable(accented.Get()) == "na\\u00efve \\u20ac",
           "converted: " + Readable(accented.Get()));
    const std::string withNul("a\0b", 3);
    const AnsiBstr embedded(withNul);
    Expect(SysStringLen(embedded.Get()) == 3, "an embedded NUL keeps the rest of the text");
}

}  // namespace
}  // namespace wobbet::com

int main() {
    using namespace wobbet::com;
    DeclaredSlotsMatchThePlatformDefinitions();
    TextsAreConvertedFromTheAnsiCodePage();
    AConversationMakesTheseRequestsWithTheseArguments();
    AServerThatGivesNoObjectFailsItsStep();
    WithoutARegisteredServerStartUpEndsAtStageOne();
    std::printf("%s (%d failures)\n", failures == 0 ? "PASSED" : "FAILED", failures);
    return failures == 0 ? 0 : 1;
}
