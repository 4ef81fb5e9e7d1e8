// A save clears away what killed saves left, and nothing else; it makes a missing folder private.
#include <gmock/gmock.h>
#include <sys/wait.h>
#include <unistd.h>

#include "storage/knowledge_file.h"
#include "tests/support/recording_host.h"
#include "tests/support/scratch_directory.h"

namespace wobbet::testing {
namespace {

using ::testing::IsEmpty;

struct StaleTemporaryFilesTest : ScratchDirectoryTest {
    KnowledgeBase knowledge;
    RecordingHost host;
};

TEST_F(StaleTemporaryFilesTest, SaveRemovesOnlyFilesOfEndedSaves) {
    const pid_t child = fork();
    if (child == 0) {
        _exit(0);
    }
    waitpid(child, nullptr, 0);
    const std::string ended = std::to_string(child);
    const std::vector<std::string> kept = {"Wobbet.dat." + std::to_string(getppid()) + ".tmp",
                                           "Wobbet.dat.0" + ended + ".tmp",
                                           "Wobbet.dat." + ended + ".tmp.old",
                                           "Wobbet.dat." + ended + "x.tmp",
                                           "Wobbet.dat..tmp",
                                           "Other.dat." + ended + ".tmp",
                                           "Wobbet.dat.99999999999.tmp"};
    for (const std::string& name : kept) {
        WriteBytes(directory / name, "kept");
    }
    WriteBytes(directory / ("Wobbet.dat." + ended + ".tmp"), "left by a killed save");

    KnowledgeFile(knowledgePath).SaveKnowledge(knowledge, host);

    EXPECT_THAT(host.calls, IsEmpty());
    EXPECT_THAT(OtherFiles(), ::testing::UnorderedElementsAreArray(kept));
}

TEST_F(StaleTemporaryFilesTest, FirstSaveMakesMissingFoldersPrivate) {
    const std::filesystem::path folder = directory / "share" / "wobbet";

    KnowledgeFile((folder / "Wobbet.dat").string()).SaveKnowledge(knowledge, host);

    EXPECT_THAT(host.calls, IsEmpty());
    for (const std::filesystem::path& made : {folder, folder.parent_path()}) {
        EXPECT_EQ(std::filesystem::status(made).permissions(), std::filesystem::perms::owner_all);
    }
}

}  // namespace
}  // namespace wobbet::testing
