#include "storage/knowledge_file.h"

#include <gmock/gmock.h>
#include <sys/stat.h>

#include "storage/knowledge_format.h"
#include "storage/knowledge_merge.h"
#include "tests/support/case_table.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/knowledge_records.h"
#include "tests/support/recording_host.h"
#include "tests/support/scratch_directory.h"

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace wobbet::testing {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kOldFile = "Old\r\nOLD\r\n!\r\nCONTEXT\r\n\r\n";
constexpr std::string_view kNewFile = "Old\r\nOLD\r\n!\r\nCONTEXT\r\n\r\nNew\r\nNEW\r\n\r\n";

class KnowledgeFileTest : public ScratchDirectoryTest {
protected:
    RecordingHost host;
    KnowledgeBase knowledge;
    FaultyFileSystem disk;

    void SetUp() override {
        ScratchDirectoryTest::SetUp();
        knowledge.LoadSeedTables();
    }

    // Loads, learns one record and saves; returns the messages shown.
    std::string Run(KnowledgeFile& file) {
        file.LoadKnowledge(knowledge, host);
        Append(knowledge, "New;", "NEW;;");
        file.SaveKnowledge(knowledge, host);
        return Joined(host.calls);
    }
};

TEST_F(KnowledgeFileTest, MissingFileIsCreatedAtShutdownAndLearnedRecordsAreThereNextStart) {
    KnowledgeFile first(knowledgePath);
    first.LoadKnowledge(knowledge, host);
    first.SaveKnowledge(knowledge, host);
    EXPECT_EQ(ReadBytes(knowledgePath), "");
    WriteBytes(knowledgePath, "Old\nOLD\n!\nCONTEXT\n\n");
    KnowledgeFile second(knowledgePath);
    // A leftover from a save that was cut off goes.
    WriteBytes(second.TemporaryPath(), "half a save");
    EXPECT_EQ(Run(second), "");

    KnowledgeBase nextRun;
    nextRun.LoadSeedTables();
    KnowledgeFile(knowledgePath).LoadKnowledge(nextRun, host);
    EXPECT_EQ(ReadBytes(knowledgePath), kNewFile);
    EXPECT_EQ(Learned(nextRun, 0, 0), Learned(knowledge, 0, 0));
    EXPECT_TRUE(OtherFiles().empty() && host.calls.empty());
}

TEST_F(KnowledgeFileTest, GroupWithoutAReplyIsReportedAfterSavingTheRecordsBeforeIt) {
    WriteBytes(knowledgePath, kOldFile);
    Append(knowledge, "Whole;", "A;;ORPHAN;;");
    KnowledgeFile(knowledgePath).SaveKnowledge(knowledge, host);
    EXPECT_EQ(Joined(host.calls), "ShowMessage Storage error: Space misalignment.;");
    EXPECT_EQ(ReadBytes(knowledgePath), "Whole\r\nA\r\n\r\n");
}

TEST_F(KnowledgeFileTest, MergeAppendsNewRecordsInOrderSkipsKnownOnesAndRefusesADamagedFile) {
    ASSERT_EQ(ReadKnowledge(kOldFile, knowledge), ReadOutcome::kComplete);
    // Records differing only in their context section are different records.
    const std::string other = (directory / "Other.dat").string();
    WriteBytes(other,
               "Old\r\nOLD\r\n\r\nNew\r\nNEW\r\n\r\nOld\r\nOLD\r\n!\r\nCONTEXT\r\n\r\n"
               "New\r\nNEW\r\n\r\nOld\r\nCONTEXT\r\n!\r\nOLD\r\n");
    EXPECT_EQ(MergeNotice(MergeKnowledgeFile(other, knowledge), other),
              "Merged 3 new records; 2 were already known.");
    const std::string merged = Learned(knowledge);
    EXPECT_EQ(merged, "Old;Old;New;Old;|OLD;!;CONTEXT;;OLD;;NEW;;CONTEXT;!;OLD;;");

    WriteBytes(directory / "Damaged.dat", "New one\r\nD\r\n\r\n\r\nE\r\n");
    for (const char* name : {"Damaged.dat", "Missing.dat"}) {
        const std::string path = (directory / name).string();
        const MergeResult refused = MergeKnowledgeFile(path, knowledge);
        EXPECT_EQ(refused.outcome, MergeResult::Outcome::kRefused);
        EXPECT_EQ(MergeNotice(refused, path),
                  "Merge refused: " + path + " is damaged or unreadable; nothing was merged.");
        EXPECT_EQ(Learned(knowledge), merged);
    }
}

// A misaligned file gets its own message the same way, as the end-to-end runs show.
class UnreadableFileTest : public KnowledgeFileTest,
                           public ::testing::WithParamInterface<const char*> {
protected:
    void Plant(std::string_view what) {
        if (what == "Directory") {
            fs::create_directory(knowledgePath);
#ifndef _WIN32
        } else if (what == "LinkToItself") {
            fs::create_symlink("Wobbet.dat", knowledgePath);
        } else if (what == "Pipe") {
            mkfifo(knowledgePath.c_str(), 0600);
        } else {
            WriteBytes(knowledgePath, kOldFile);
            fs::permissions(knowledgePath, fs::perms::none);
#endif
        }
        fs::permissions(directory, fs::perms::all);
    }
};

TEST_P(UnreadableFileTest, IsReportedAndLeftUntouched) {
    Plant(GetParam());
    const fs::file_type type = fs::symlink_status(knowledgePath).type();
    const std::string bytes = type == fs::file_type::regular ? ReadBytes(knowledgePath) : "";

    KnowledgeFile file(knowledgePath);
#ifndef _WIN32
    // Root reads whatever the permission bits say, so the load runs as the user nobody.
    const bool dropped = geteuid() == 0 && seteuid(65534) == 0;
#endif
    std::string outcome = Run(file);
    outcome += file.NoSave() ? "NoSave" : "";
#ifndef _WIN32
    ASSERT_TRUE(!dropped || seteuid(0) == 0);
#endif

    EXPECT_EQ(outcome,
              "ShowMessage Storage error: Load failed. Records added in this session cannot be "
              "saved.;NoSave");
    EXPECT_EQ(fs::symlink_status(knowledgePath).type(), type);
    EXPECT_TRUE(type != fs::file_type::regular || ReadBytes(knowledgePath) == bytes);
    EXPECT_TRUE(OtherFiles().empty());
}

#ifdef _WIN32
INSTANTIATE_TEST_SUITE_P(Cases, UnreadableFileTest, ::testing::Values("Directory"));
#else
INSTANTIATE_TEST_SUITE_P(Cases, UnreadableFileTest,
                         ::testing::Values("Directory", "LinkToItself", "Pipe", "NoPermission"));
#endif

struct SaveFailureCase {
    const char* name;
    std::optional<DiskStep> failing;
    // Planted at the temporary path before the save: a directory or a link.
    const char* planted = "";
};

class SaveFailureTest : public KnowledgeFileTest,
                        public ::testing::WithParamInterface<SaveFailureCase> {};

TEST_P(SaveFailureTest, KeepsThePreviousFileAndLeavesNoTemporaryFile) {
    WriteBytes(knowledgePath, kOldFile);
    KnowledgeFile file(knowledgePath, disk);
    const std::string planted = GetParam().planted;
    if (planted == "directory") {
        fs::create_directory(file.TemporaryPath());
    } else if (planted == "link") {
        WriteBytes(directory / "victim", "precious");
        fs::create_symlink("victim", file.TemporaryPath());
    }
    disk.failing = GetParam().failing;

    EXPECT_EQ(Run(file), "ShowMessage Storage error: Save failed.;");
    EXPECT_EQ(ReadBytes(knowledgePath), kOldFile);
    EXPECT_EQ(OtherFiles().size(), planted.empty() ? 0u : planted == "link" ? 2u : 1u);
    EXPECT_EQ(planted == "link" ? ReadBytes(directory / "victim") : "precious", "precious");
}

std::vector<SaveFailureCase> SaveFailureCases() {
    std::vector<SaveFailureCase> cases = {
        {"CreateNew", DiskStep::kCreateNew}, {"Write", DiskStep::kWrite},
        {"Flush", DiskStep::kFlush},         {"Close", DiskStep::kClose},
        {"Replace", DiskStep::kReplace},     {"DirectoryAtTheTemporaryPath", {}, "directory"}};
#ifndef _WIN32
    // A link planted again after the leftover was removed is not followed.
    cases.push_back({"PlantedLink", DiskStep::kRemove, "link"});
#endif
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Cases, SaveFailureTest, ::testing::ValuesIn(SaveFailureCases()), kRowName);

#ifndef _WIN32
int Permissions(const std::string& path) {
    return static_cast<int>(fs::status(path).permissions() & fs::perms::mask);
}

// The mode of the file being replaced, or -1 for none.
class PermissionsTest : public KnowledgeFileTest, public ::testing::WithParamInterface<int> {};

TEST_P(PermissionsTest, AreKeptAndNeverWidenedWhileWriting) {
    const int allowed = GetParam() < 0 ? 0600 : GetParam();
    if (GetParam() >= 0) {
        WriteBytes(knowledgePath, kOldFile);
        fs::permissions(knowledgePath, static_cast<fs::perms>(GetParam()));
    }
    KnowledgeFile file(knowledgePath, disk);
    disk.beforeWrite = [&] { EXPECT_EQ(Permissions(file.TemporaryPath()) & ~allowed, 0); };

    EXPECT_EQ(Run(file), "");
    EXPECT_EQ(Permissions(knowledgePath), allowed);
}

INSTANTIATE_TEST_SUITE_P(Modes, PermissionsTest, ::testing::Values(-1, 0600, 0640, 0644, 0400));

// What killed saves left goes; a running copy's temporary file and other names stay.
TEST_F(KnowledgeFileTest, SaveRemovesOnlyLeftoversOfEndedSaves) {
    const pid_t child = fork();
    if (child == 0) {
        _exit(0);
    }
    waitpid(child, nullptr, 0);
    const std::string ended = std::to_string(child);
    const std::vector<std::string> kept = {"Wobbet.dat." + std::to_string(getppid()) + ".tmp",
                                           "Wobbet.dat.0" + ended + ".tmp",
                                           "Other.dat." + ended + ".tmp"};
    for (const std::string& name : kept) {
        WriteBytes(directory / name, "kept");
    }
    WriteBytes(directory / ("Wobbet.dat." + ended + ".tmp"), "left by a killed save");
    KnowledgeFile(knowledgePath).SaveKnowledge(knowledge, host);
    EXPECT_THAT(OtherFiles(), ::testing::UnorderedElementsAreArray(kept));
}
#endif

}  // namespace
}  // namespace wobbet::testing
