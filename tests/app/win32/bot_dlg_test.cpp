#include "app/win32/bot_dlg.h"

#include <gmock/gmock.h>

#include <filesystem>
#include <functional>
#include <utility>

#include "app/win32/minimized_icon.h"
#include "app/win32/resource_ids.h"
#include "app/win32/single_instance.h"
#include "tests/support/fake_agent_server.h"

namespace wobbet {
namespace {

using ::testing::ElementsAre;

// Logs what the reply box shows during Speak, and whether the file is saved before release.
struct CharacterServer : testing::FakeAgentServer {
    HWND window = nullptr;
    std::filesystem::path knowledgePath = std::filesystem::temp_directory_path() /
                                          ("wobbet-" + std::to_string(GetCurrentProcessId()));
    AgentResult Speak(const std::string& text) override {
        char shown[64] = {};
        GetDlgItemTextA(window, IDC_REPLY, shown, sizeof shown);
        calls.push_back(std::string("showing '") + shown + "'");
        return FakeAgentServer::Speak(text);
    }
    void ReleaseCharacter() override {
        calls.push_back(std::filesystem::exists(knowledgePath) ? "saved" : "not saved");
        FakeAgentServer::ReleaseCharacter();
    }
};

// The real main window; once its modal loop runs, the script plays the user.
class ScriptedBotDlg : public CBotDlg {
public:
    using CBotDlg::CBotDlg;
    std::function<void(HWND)> script;

protected:
    BOOL OnInitDialog() override {
        PostMessageA(Handle(), WM_APP, 0, 0);
        return CBotDlg::OnInitDialog();
    }
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override {
        if (message == WM_APP) {
            script(Handle());
            return true;
        }
        return CBotDlg::OnMessage(message, wParam, lParam, result);
    }
};

TEST(BotDlgTest, StartsTheCharacterSpeaksEveryReplyAndSavesBeforeItStops) {
    CharacterServer server;
    // No room beside the character, so it goes to 0, 0 whatever the time's seed draws.
    server.screen = {server.width, server.height};
    std::vector<std::string> startUp;
    std::vector<std::string> say;
    char reply[64] = {};
    ScriptedBotDlg dialog(server, server.knowledgePath.string());
    dialog.script = [&](HWND window) {
        startUp = std::exchange(server.calls, {});
        server.window = window;
        SetDlgItemTextA(window, IDC_INPUT, "hello");
        SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_SAY, BN_CLICKED), 0);
        say = std::exchange(server.calls, {});
        GetDlgItemTextA(window, IDC_REPLY, reply, sizeof reply);
        SendMessageA(window, WM_CLOSE, 0, 0);
    };
    dialog.DoModal();
    std::filesystem::remove(server.knowledgePath);

    EXPECT_THAT(startUp,
                ElementsAre("Initialize", "CreateServer", "LoadDefaultCharacter", "GetCharacter 7",
                            "GetOriginalSize", "SetPosition 0 0", "Show 0", "Play Greet"));
    EXPECT_THAT(
        say, ElementsAre("GetVisible", "StopAll 4", "showing ''", "Speak Hello.", "Play Pleased"));
    EXPECT_STREQ(reply, "Hello.");
    EXPECT_THAT(server.calls, ElementsAre("saved", "ReleaseCharacter", "Unload 7", "ReleaseServer",
                                          "Uninitialize"));
}

// The About command and a second start are the end-to-end tests'.
TEST(ShellRulesTest, IconOffsetTruncatesAndAnotherUsersCopyCounts) {
    EXPECT_EQ(CenteredIconOffset(37, 32), 3);
    EXPECT_EQ(CenteredIconOffset(28, 32), -1);
    EXPECT_TRUE(IsAnotherInstanceRunning(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(IsAnotherInstanceRunning(ERROR_INVALID_HANDLE));
}

}  // namespace
}  // namespace wobbet
