#include "app/core/autosave.h"

#include <gtest/gtest.h>

#include <memory>
#include <utility>

#include "tests/support/faulty_file_system.h"
#include "tests/support/knowledge_records.h"
#include "tests/support/scratch_directory.h"

namespace wobbet::testing {
namespace {

// Holds each delay and each save until the test lets it run, so that any overlap is certain.
class GatedDriver : public AutosaveDriver {
public:
    std::function<void()> elapsed;
    std::function<std::string()> save;
    std::function<void(std::string)> finished;

    void StartDelay(std::chrono::milliseconds, std::function<void()> callback) override {
        EXPECT_FALSE(elapsed || save) << "a delay while another delay or a save runs";
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
        return save ? std::optional(std::exchange(save, {})()) : std::nullopt;
    }

    void PassDelay() { std::exchange(elapsed, {})(); }
    void FinishSave() { std::exchange(finished, {})(*WaitForSave()); }
};

class AutosaveTest : public ScratchDirectoryTest {
protected:
    GatedDriver driver;
    KnowledgeBase knowledge;
    KnowledgeSnapshot snapshot{knowledge};
    FaultyFileSystem disk;
    std::string warnings;
    int writes = 0;

    void SetUp() override {
        ScratchDirectoryTest::SetUp();
        knowledge.LoadSeedTables();
        disk.beforeWrite = [this] { ++writes; };
    }
    Autosave Make(KnowledgeFile& target) {
        return Autosave(driver, snapshot, target,
                        [this](const std::string& text) { warnings += text + ";"; });
    }
    // A lesson, as the core tells it.
    void Learn(Autosave& autosave, std::string_view reply) {
        Append(knowledge, std::string(reply) + ";", "WORD;;");
        snapshot.Changed();
        autosave.Changed();
    }
};

TEST_F(AutosaveTest, ALessonDuringASaveIsSavedByTheNextAndCloseWritesOnlyWhatIsLeft) {
    KnowledgeFile first(knowledgePath, disk);
    Autosave autosave = Make(first);
    Learn(autosave, "First");
    driver.PassDelay();
    Learn(autosave, "During the save");
    driver.FinishSave();
    EXPECT_EQ(ReadBytes(knowledgePath), "First\r\nWORD\r\n\r\n");
    driver.PassDelay();
    driver.FinishSave();
    EXPECT_EQ(ReadBytes(knowledgePath), "First\r\nWORD\r\n\r\nDuring the save\r\nWORD\r\n\r\n");
    autosave.Close();
    EXPECT_EQ(writes, 2) << "what the autosave kept was written again at close";

    // Close lets the save under way end, then keeps the lesson given during it.
    KnowledgeFile second(knowledgePath, disk);
    Autosave next = Make(second);
    Learn(next, "Third");
    driver.PassDelay();
    Learn(next, "At close");
    next.Close();
    EXPECT_EQ(writes, 4);
    EXPECT_TRUE(
        ReadBytes(knowledgePath).ends_with("Third\r\nWORD\r\n\r\nAt close\r\nWORD\r\n\r\n"));
    EXPECT_EQ(warnings, "");
}

// The snapshot the save writes is shared with the Knowledge window's filter.
TEST_F(AutosaveTest, TheSnapshotIsCopiedOncePerChangeAndNeverWrittenOverWhileStillRead) {
    const std::shared_ptr<const KnowledgeBase> filtered = snapshot.Take();
    EXPECT_EQ(snapshot.Take(), filtered) << "unchanged tables copied again";
    Append(knowledge, "Learned;", "WORD;;");
    snapshot.Changed();
    const std::shared_ptr<const KnowledgeBase> saved = snapshot.Take();
    EXPECT_EQ(filtered->ResponseCount(), kSeedResponseCount) << "a copy still read was changed";
    ASSERT_EQ(saved->ResponseCount(), kSeedResponseCount + 1) << "a change was not copied";
    EXPECT_EQ(saved->Response(kSeedResponseCount), "Learned");
}

TEST_F(AutosaveTest, WarnsOnceUntilASaveSucceeds) {
    // One letter per autosave, f for a failure; the warnings expected.
    for (const auto& [saves, warned] :
         {std::pair{"ff", 1}, std::pair{"fsf", 2}, std::pair{"sfff", 1}, std::pair{"fsfsf", 3}}) {
        KnowledgeFile target(knowledgePath, disk);
        Autosave autosave = Make(target);
        warnings.clear();
        for (const char* save = saves; *save != '\0'; ++save) {
            Learn(autosave, "Lesson");
            disk.failing = *save == 'f' ? std::optional(DiskStep::kReplace) : std::nullopt;
            driver.PassDelay();
            driver.FinishSave();
        }
        std::string expected;
        for (int i = 0; i < warned; ++i) {
            expected += "Storage error: Save failed.;";
        }
        EXPECT_EQ(warnings, expected) << saves;
        disk.failing.reset();
    }
}

}  // namespace
}  // namespace wobbet::testing
