#include "storage/knowledge_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <functional>

#include "engine/conversation_engine.h"
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

using testing::PrintTo;

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr std::string_view kOldFile = "Old\r\nOLD\r\n!\r\nCONTEXT\r\n\r\n";
constexpr std::string_view kNewFile = "Old\r\nOLD\r\n!\r\nCONTEXT\r\n\r\nNew\r\nNEW\r\n\r\n";
const std::string kSaveFailed = "ShowMessage " + std::string(kSaveFailedMessage);
const std::string kLoadFailed =
    "ShowMessage " + std::string(kLoadFailedMessage) + std::string(kNoSaveSuffix);

void Plant(const fs::path& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

class KnowledgeFileTest : public ScratchDirectoryTest {
protected:
    RecordingHost host;
    KnowledgeBase knowledge;
    FaultyFileSystem disk;

    void SetUp() override {
        ScratchDirectoryTest::SetUp();
        knowledge.LoadSeedTables();
    }

    // A start that loads the file, a run that learns one record, and the shutdown that saves.
    void Run(KnowledgeFile& file) {
        file.LoadKnowledge(knowledge, host);
        Append(knowledge, {"New"}, {"NEW", ""});
        file.SaveKnowledge(knowledge, host);
    }

    int Permissions(const std::string& path) const {
        struct stat status {};
        EXPECT_EQ(stat(path.c_str(), &status), 0);
        return status.st_mode & 0777;
    }
};

TEST_F(KnowledgeFileTest, MissingFileLoadsSilentlyAndIsCreatedEmptyAtShutdown) {
    KnowledgeFile file(knowledgePath);
    file.LoadKnowledge(knowledge, host);
    file.SaveKnowledge(knowledge, host);

    EXPECT_THAT(host.calls, IsEmpty());
    EXPECT_EQ(knowledge.ResponseCount(), kSeedResponseCount);
    EXPECT_EQ(ReadBytes(knowledgePath), "");
    EXPECT_THAT(OtherFiles(), IsEmpty());
}

TEST_F(KnowledgeFileTest, RecordsLearnedInARunAreThereAtTheNextStart) {
    WriteBytes(knowledgePath, "Old\nOLD\n!\nCONTEXT\n\n");
    KnowledgeFile file(knowledgePath);
    // A leftover from a save that was cut off goes.
    WriteBytes(file.TemporaryPath(), "half a save");
    Run(file);

    KnowledgeBase nextRun;
    nextRun.LoadSeedTables();
    KnowledgeFile(knowledgePath).LoadKnowledge(nextRun, host);
    EXPECT_THAT(host.calls, IsEmpty());
    EXPECT_EQ(ReadBytes(knowledgePath), kNewFile);
    EXPECT_THAT(OtherFiles(), IsEmpty());
    EXPECT_EQ(ResponsesFrom(nextRun, 0), ResponsesFrom(knowledge, 0));
    EXPECT_EQ(KeywordsFrom(nextRun, 0), KeywordsFrom(knowledge, 0));
}

TEST_F(KnowledgeFileTest, GroupWithoutAReplyIsReportedAfterSavingTheRecordsBeforeIt) {
    WriteBytes(knowledgePath, kOldFile);
    Append(knowledge, {"Whole"}, {"A", "", "ORPHAN", ""});
    KnowledgeFile(knowledgePath).SaveKnowledge(knowledge, host);

    EXPECT_THAT(host.calls, ElementsAre("ShowMessage Storage error: Space misalignment."));
    EXPECT_EQ(ReadBytes(knowledgePath), "Whole\r\nA\r\n\r\n");
}

struct UnreadableCase {
    const char* name;
    std::function<void(const std::string& path)> plant;
    std::string message;
    // Root reads whatever the permission bits say, so the run is made as the user nobody.
    bool unprivileged = false;
};

class UnreadableFileTest : public KnowledgeFileTest,
                           public ::testing::WithParamInterface<UnreadableCase> {};

#ifdef _WIN32
std::string RunUnprivileged(const std::function<std::string()>& run) {
    return run();
}
#else
// Runs as nobody in a child process when the tests run as root; returns what the run returns.
std::string RunUnprivileged(const std::function<std::string()>& run) {
    if (geteuid() != 0) {
        return run();
    }
    int channel[2];
    EXPECT_EQ(pipe(channel), 0);
    if (fork() == 0) {
        constexpr uid_t kNobody = 65534;
        const std::string result =
            setgid(kNobody) == 0 && setuid(kNobody) == 0 ? run() : "could not become nobody";
        _exit(write(channel[1], result.data(), result.size()) >= 0 ? 0 : 1);
    }
    close(channel[1]);
    std::string result;
    char buffer[256];
    for (ssize_t got; (got = read(channel[0], buffer, sizeof buffer)) > 0;) {
        result.append(buffer, static_cast<std::size_t>(got));
    }
    close(channel[0]);
    wait(nullptr);
    return result;
}
#endif

TEST_P(UnreadableFileTest, IsReportedAndLeftUntouched) {
    const UnreadableCase& unreadable = GetParam();
    unreadable.plant(knowledgePath);
    const fs::file_type type = fs::symlink_status(knowledgePath).type();
    const std::string bytes = type == fs::file_type::regular ? ReadBytes(knowledgePath) : "";
    if (unreadable.unprivileged) {
        fs::permissions(directory, fs::perms::all);
    }

    const std::string outcome = RunUnprivileged([&] {
        KnowledgeFile file(knowledgePath);
        Run(file);
        return (file.NoSave() ? "NoSave " : "") + ::testing::PrintToString(host.calls);
    });

    EXPECT_EQ(outcome, "NoSave " + ::testing::PrintToString(std::vector{unreadable.message}));
    EXPECT_EQ(fs::symlink_status(knowledgePath).type(), type);
    if (type == fs::file_type::regular) {
        fs::permissions(knowledgePath, fs::perms::owner_read);
        EXPECT_EQ(ReadBytes(knowledgePath), bytes);
    }
    EXPECT_THAT(OtherFiles(), IsEmpty());
}

std::vector<UnreadableCase> UnreadableCases() {
    std::vector<UnreadableCase> cases = {
        {"Misaligned",
         [](const std::string& path) { Plant(path, "Kept\r\nA\r\n\r\n\r\nB\r\n\r\n"); },
         "ShowMessage Storage error: Space misalignment. Records added in this session cannot be "
         "saved."},
        {"Directory", [](const std::string& path) { fs::create_directory(path); }, kLoadFailed}};
#ifndef _WIN32
    cases.push_back({"LinkToItself",
                     [](const std::string& path) { fs::create_symlink("Wobbet.dat", path); },
                     kLoadFailed});
    cases.push_back(
        {"Pipe", [](const std::string& path) { mkfifo(path.c_str(), 0600); }, kLoadFailed});
    cases.push_back({"NoPermission",
                     [](const std::string& path) {
                         Plant(path, kOldFile);
                         fs::permissions(path, fs::perms::none);
                     },
                     kLoadFailed, true});
#endif
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Cases, UnreadableFileTest, ::testing::ValuesIn(UnreadableCases()),
                         kRowName);

struct SaveFailureCase {
    const char* name;
    std::function<void(FaultyFileSystem& disk, const fs::path& temporary)> plant;
    // What the planted fault leaves beside the knowledge file.
    std::vector<std::string> leftovers = {};
};

class SaveFailureTest : public KnowledgeFileTest,
                        public ::testing::WithParamInterface<SaveFailureCase> {};

TEST_P(SaveFailureTest, KeepsThePreviousFileAndLeavesNoTemporaryFile) {
    WriteBytes(knowledgePath, kOldFile);
    KnowledgeFile file(knowledgePath, disk);
    GetParam().plant(disk, file.TemporaryPath());

    Run(file);

    EXPECT_THAT(host.calls, ElementsAre(kSaveFailed));
    EXPECT_EQ(ReadBytes(knowledgePath), kOldFile);
    std::vector<std::string> leftovers = OtherFiles();
    std::sort(leftovers.begin(), leftovers.end());
    EXPECT_EQ(leftovers, GetParam().leftovers);
    if (fs::exists(directory / "victim")) {
        EXPECT_EQ(ReadBytes(directory / "victim"), "precious");
    }
}

auto Failing(DiskStep step) {
    return [step](FaultyFileSystem& disk, const fs::path&) { disk.failing = step; };
}

auto FullDisk(std::size_t freeBytes) {
    return [freeBytes](FaultyFileSystem& disk, const fs::path&) { disk.freeBytes = freeBytes; };
}

const std::string kTemporaryName = "Wobbet.dat." + std::to_string(CurrentProcessId()) + ".tmp";

std::vector<SaveFailureCase> SaveFailureCases() {
    std::vector<SaveFailureCase> cases = {
        {"CreateNew", Failing(DiskStep::kCreateNew)},
        {"Write", Failing(DiskStep::kWrite)},
        {"Flush", Failing(DiskStep::kFlush)},
        {"Close", Failing(DiskStep::kClose)},
        {"Replace", Failing(DiskStep::kReplace)},
        {"DiskFull", FullDisk(0)},
        {"DiskFullButOneByte", FullDisk(kNewFile.size() - 1)},
        {"DirectoryAtTheTemporaryPath",
         [](FaultyFileSystem&, const fs::path& temporary) { fs::create_directory(temporary); },
         {kTemporaryName}}};
#ifndef _WIN32
    // A link planted again after the leftover was removed is not followed.
    cases.push_back({"PlantedLink",
                     [](FaultyFileSystem& disk, const fs::path& temporary) {
                         Plant(temporary.parent_path() / "victim", "precious");
                         fs::create_symlink("victim", temporary);
                         disk.failing = DiskStep::kRemove;
                     },
                     {kTemporaryName, "victim"}});
#endif
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Cases, SaveFailureTest, ::testing::ValuesIn(SaveFailureCases()), kRowName);

#ifndef _WIN32
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

    Run(file);

    EXPECT_THAT(host.calls, IsEmpty());
    EXPECT_EQ(Permissions(knowledgePath), allowed);
}

INSTANTIATE_TEST_SUITE_P(Modes, PermissionsTest, ::testing::Values(-1, 0600, 0640, 0644, 0400));

TEST_F(KnowledgeFileTest, ReplacedFileKeepsItsOwner) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "only root can give the knowledge file to another user";
    }
    WriteBytes(knowledgePath, kOldFile);
    ASSERT_EQ(chown(knowledgePath.c_str(), 65534, 65534), 0);
    KnowledgeFile file(knowledgePath);

    Run(file);

    struct stat status {};
    ASSERT_EQ(stat(knowledgePath.c_str(), &status), 0);
    EXPECT_EQ(status.st_uid, 65534u);
    EXPECT_EQ(status.st_gid, 65534u);
}
#endif

}  // namespace
}  // namespace wobbet::testing
