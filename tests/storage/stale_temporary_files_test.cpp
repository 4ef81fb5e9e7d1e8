// A save clears away the temporary files of saves that were killed midway, and nothing else;
// an installed copy's first save makes the folder that holds its knowledge.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "storage/knowledge_file.h"
#include "tests/support/recording_host.h"
#include "tests/support/scratch_directory.h"

namespace wobbet::testing {
namespace {

using ::testing::IsEmpty;
using ::testing::UnorderedElementsAreArray;

// The id of a process that has ended.
std::string EndedProcessId() {
    const pid_t child = fork();
    if (child == 0) {
        _exit(0);
    }
    waitpid(child, nullptr, 0);
    return std::to_string(child);
}

class StaleTemporaryFilesTest : public ScratchDirectoryTest {
protected:
    KnowledgeBase knowledge;
    RecordingHost host;
};

TEST_F(StaleTemporaryFilesTest, SaveRemovesOnlyFilesOfEndedSaves) {
    const std::string ended = EndedProcessId();
    const std::string running = std::to_string(getppid());
    const std::vector<std::string> kept = {"Wobbet.dat." + running + ".tmp",
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
    EXPECT_THAT(OtherFiles(), UnorderedElementsAreArray(kept));
}

TEST_F(StaleTemporaryFilesTest, FirstSaveMakesMissingFoldersPrivate) {
    const std::filesystem::path folder = directory / "share" / "wobbet";

    KnowledgeFile((folder / "Wobbet.dat").string()).SaveKnowledge(knowledge, host);

    EXPECT_THAT(host.calls, IsEmpty());
    EXPECT_TRUE(std::filesystem::is_regular_file(folder / "Wobbet.dat"));
    for (const std::filesystem::path& made : {folder, folder.parent_path()}) {
        struct stat status {};
        ASSERT_EQ(stat(made.c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 0777, 0700u) << made;
    }
}

}  // namespace
}  // namespace wobbet::testing
