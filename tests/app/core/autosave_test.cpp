#include "app/core/autosave.h"

#include <gtest/gtest.h>

#include <utility>

#include "tests/support/case_table.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/knowledge_records.h"
#include "tests/support/scratch_directory.h"

namespace wobbet::testing {
namespace {

// Holds each delay and each save until the test lets it run, so any overlap is certain.
class GatedDriver : public AutosaveDriver {
public:
    std::function<void()> elapsed;
    std::function<std::string()> save;
    std::function<void(std::string)> finished;

    void StartDelay(std::chrono::milliseconds, std::function<void()> callback) override {
        EXPECT_FALSE(elapsed) << "a second delay while one runs";
        elapsed = std::move(callback);
    }
    void CancelDelay() override { elapsed = {}; }
    void StartSave(std::function<std::string()> task,
                   std::function<void(std::string)> callback) override {
        EXPECT_FALSE(save) << "a second save while one runs";
        save = std::move(task);
        finished = std::move(callback);
    }
    std::optional<std::string> WaitForSave() override {
        if (!save) {
            return std::nullopt;
        }
        finished = {};
        return std::exchange(save, {})();
    }

    void PassDelay() { std::exchange(elapsed, {})(); }
    void FinishSave() {
        const std::string message = std::exchange(save, {})();
        std::exchange(finished, {})(message);
    }
};

class WarningWindow : public ShellWindow {
public:
    std::string warnings;

    std::string ReadInput() override { return {}; }
    void ClearInput() override {}
    bool ContextEnabled() override { return true; }
    void SetContextEnabled(bool) override {}
    void ShowReply(const std::string&) override {}
    void ShowMessage(const std::string& text) override { warnings += text + ";"; }
    TeachDialogResult RunTeachDialog() override { return {}; }
};

class AutosaveTest : public ScratchDirectoryTest {
protected:
    GatedDriver driver;
    WarningWindow window;
    KnowledgeBase knowledge;
    FaultyFileSystem disk;
    int writes = 0;

    void SetUp() override {
        ScratchDirectoryTest::SetUp();
        knowledge.LoadSeedTables();
        disk.beforeWrite = [this] { ++writes; };
    }

    // Learns a record the way a lesson does, and tells the autosave.
    void Learn(Autosave& autosave, std::string_view reply) {
        Append(knowledge, std::string(reply) + ";", "WORD;;");
        autosave.Changed();
    }
};

TEST_F(AutosaveTest, ALessonDuringASaveIsSavedByTheNextAndCloseWritesOnlyWhatIsLeft) {
    KnowledgeFile file(knowledgePath, disk);
    Autosave autosave(driver, knowledge, file, window);
    Learn(autosave, "First");
    driver.PassDelay();
    Learn(autosave, "During the save");
    EXPECT_FALSE(driver.elapsed) << "a delay began while the save ran";
    driver.FinishSave();
    EXPECT_EQ(ReadBytes(knowledgePath), "First\r\nWORD\r\n\r\n");
    driver.PassDelay();
    driver.FinishSave();
    EXPECT_EQ(ReadBytes(knowledgePath), "First\r\nWORD\r\n\r\nDuring the save\r\nWORD\r\n\r\n");
    autosave.Close();
    EXPECT_EQ(writes, 2) << "what the autosave kept was written again at close";

    // At close, the save under way ends first, and a lesson after it is still kept.
    KnowledgeFile second(knowledgePath, disk);
    Autosave next(driver, knowledge, second, window);
    Learn(next, "Third");
    driver.PassDelay();
    Learn(next, "At close");
    next.Close();
    EXPECT_EQ(writes, 4);
    EXPECT_TRUE(ReadBytes(knowledgePath).ends_with("At close\r\nWORD\r\n\r\n"));
    EXPECT_EQ(window.warnings, "");
}

struct WarningCase {
    const char* name;
    // One letter per autosave: f fails, s succeeds.
    std::string_view saves;
    int warnings;
};

class AutosaveWarningTest : public AutosaveTest,
                            public ::testing::WithParamInterface<WarningCase> {};

TEST_P(AutosaveWarningTest, WarnsOnceUntilASaveSucceeds) {
    KnowledgeFile file(knowledgePath, disk);
    Autosave autosave(driver, knowledge, file, window);
    for (const char save : GetParam().saves) {
        Learn(autosave, "Lesson");
        disk.failing = save == 'f' ? std::optional(DiskStep::kReplace) : std::nullopt;
        driver.PassDelay();
        driver.FinishSave();
    }
    std::string expected;
    for (int i = 0; i < GetParam().warnings; ++i) {
        expected += "Storage error: Save failed.;";
    }
    EXPECT_EQ(window.warnings, expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, AutosaveWarningTest,
                         ::testing::Values(WarningCase{"FailTwice", "ff", 1},
                                           WarningCase{"FailSucceedFail", "fsf", 2},
                                           WarningCase{"SucceedThenFailThrice", "sfff", 1}),
                         kRowName);

}  // namespace
}  // namespace wobbet::testing
