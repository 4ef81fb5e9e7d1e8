#include "app/core/program_core.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>

#include "engine/learned_records.h"
#include "tests/support/fake_agent_server.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/recording_host.h"
#include "tests/support/scratch_directory.h"

namespace wobbet::testing {
namespace {

using ::testing::ElementsAre;

// Input and Teach dialogs come from a RecordingHost's script; the window's calls go into the
// character server's log, so that one list shows the order of both.
class LoggingWindow : public ShellWindow {
public:
    explicit LoggingWindow(std::vector<std::string>& log) : log_(log) {}
    RecordingHost script;

    std::string ReadInput() override { return script.ReadInput(); }
    void ClearInput() override {}
    bool ContextEnabled() override { return script.context; }
    void SetContextEnabled(bool enabled) override {
        script.context = enabled;
        Log("SetContextEnabled ", enabled ? "1" : "0");
    }
    void ShowReply(const std::string& text) override { Log("ShowReply ", text); }
    void ShowMessage(const std::string& text) override { Log("ShowMessage ", text); }
    TeachDialogResult RunTeachDialog() override { return script.RunTeachDialog(); }
    void ShowAnimation(const std::string& name) override { Log("ShowAnimation ", name); }
    void KnowledgeChanged() override { Log("KnowledgeChanged", ""); }

private:
    void Log(const std::string& call, const std::string& text) { log_.push_back(call + text); }
    std::vector<std::string>& log_;
};

class ProgramCoreTest : public ScratchDirectoryTest {
protected:
    FakeAgentServer server;
    LoggingWindow window{server.calls};
    FaultyFileSystem disk;
    std::optional<ProgramCore> core;

    void Start(bool withCharacter) {
        server.calls.clear();
        // No room beside the character, so it goes to 0, 0 whatever the draws.
        server.screen = {server.width, server.height};
        core.emplace(window, knowledgePath, withCharacter ? &server : nullptr, disk);
        core->Start(1, "not found");
    }
};

TEST_F(ProgramCoreTest, StartsTheCharacterThenReadsTheFileThenTicksContext) {
    Start(true);
    EXPECT_THAT(server.calls, ElementsAre("Initialize", "CreateServer", "LoadDefaultCharacter",
                                          "GetCharacter 7", "GetOriginalSize", "SetPosition 0 0",
                                          "Show 0", "Play Greet", "SetContextEnabled 1"));

    WriteBytes(knowledgePath, "Blue, mostly.\r\nSKY\r\n\r\n\r\nNever read\r\n\r\n");
    server.failAt = "CreateServer";
    Start(true);
    EXPECT_THAT(server.calls,
                ElementsAre("Initialize", "CreateServer", "ShowReply not found",
                            "ShowMessage Storage error: Space misalignment. Records added in this "
                            "session cannot be saved.",
                            "SetContextEnabled 1"));
}

TEST_F(ProgramCoreTest, RepliesAreSpokenThenShownAndCommandsRouted) {
    Start(true);
    server.calls.clear();
    window.script.inputs = {"hello"};
    core->Say();
    core->Characters();
    EXPECT_THAT(
        server.calls,
        ElementsAre("GetVisible", "StopAll 4", "Speak Hello.", "ShowReply Hello.", "Play Pleased",
                    "ShowAnimation Pleased", "ShowDefaultCharacterProperties 0 0 1"));
    // A program without a character, like the console, has no not-found text and still shows the
    // reply and the mood.
    Start(false);
    window.script.inputs = {"hello"};
    core->Say();
    core->Characters();
    EXPECT_THAT(server.calls,
                ElementsAre("SetContextEnabled 1", "ShowReply Hello.", "ShowAnimation Pleased"));
}

TEST_F(ProgramCoreTest, ShutdownSavesOnceBeforeTheCharacterStops) {
    Start(true);
    window.script.teachDialogs = {{TeachDialogResult::kOk, "sky", "blue"}};
    core->Teach();
    server.calls.clear();
    disk.failing = DiskStep::kReplace;
    core->Shutdown();
    disk.failing.reset();
    core->Shutdown();
    EXPECT_THAT(server.calls,
                ElementsAre("ShowMessage Storage error: Save failed.", "ReleaseCharacter",
                            "Unload 7", "ReleaseServer", "Uninitialize"));
    EXPECT_FALSE(std::filesystem::exists(knowledgePath));
}

TEST_F(ProgramCoreTest, CurationTellsWhatItDidAndWhenTheRecordsChanged) {
    Start(false);
    window.script.teachDialogs = {{TeachDialogResult::kOk, "sky", "blue"}};
    core->Teach();
    const std::size_t taught = kSeedResponseCount;
    EXPECT_FALSE(core->EditReply(taught, " "));
    EXPECT_FALSE(core->EditKeywords(taught, "the is"));
    EXPECT_TRUE(core->EditKeywords(taught, "the Sky, above"));
    EXPECT_EQ(DescribeRecord(core->Engine().Knowledge(), taught).keywords, "SKY ABOVE");
    core->ForgetLastLesson();
    core->ForgetLastLesson();
    core->MergeKnowledgeFile("missing.dat");
    EXPECT_THAT(
        server.calls,
        ElementsAre("SetContextEnabled 1", "SetContextEnabled 0", "ShowAnimation Acknowledge",
                    "KnowledgeChanged",
                    "ShowMessage A reply cannot be empty; the record is unchanged.",
                    "ShowMessage Keywords need at least one word that is not a common one like "
                    "\"the\" or \"is\"; the record is unchanged.",
                    "KnowledgeChanged", "KnowledgeChanged", "ShowMessage Forgot: Blue",
                    "ShowMessage Nothing learned in this session to forget.",
                    "ShowMessage Merge refused: missing.dat is damaged or unreadable; nothing "
                    "was merged."));
}

}  // namespace
}  // namespace wobbet::testing
