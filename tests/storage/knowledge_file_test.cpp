#include "storage/knowledge_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "engine/conversation_engine.h"
#include "storage/knowledge_format.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/knowledge_dump.h"
#include "tests/support/recording_host.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace wobbet::testing {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr std::string_view kExampleFile =
    "Fine, thanks\r\nHELLO\r\n!\r\nGOOD\r\nMORNING\r\n\r\nNice weather today.\r\n\r\n";
const std::string kLoadFailed = std::string(kLoadFailedMessage) + std::string(kNoSaveSuffix);
const std::string kSaveFailed = "ShowMessage " + std::string(kSaveFailedMessage);

// Each test gets its own directory holding the knowledge file.
class KnowledgeFileTest : public ::testing::Test {
protected:
    fs::path directory;
    std::string path;
    RecordingHost host;
    KnowledgeBase knowledge;

    void SetUp() override {
        std::random_device entropy;
        directory = fs::temp_directory_path() / ("wobbet-storage-" + std::to_string(entropy()));
        ASSERT_TRUE(fs::create_directory(directory));
        path = (directory / "Wobbet.dat").string();
        knowledge.LoadSeedTables();
    }

    void TearDown() override {
        // Undo what the tests took away, so that the directory can be removed.
        std::error_code ignored;
        for (const auto& entry : fs::recursive_directory_iterator(directory, ignored)) {
            fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        }
        fs::permissions(directory, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(directory, ignored);
    }

    static void WriteBytes(const std::string& name, std::string_view bytes) {
        std::ofstream out(name, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }

    static std::string ReadBytes(const std::string& name) {
        std::ifstream in(name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    void Learn(std::string_view reply, std::initializer_list<std::string_view> keywords) {
        knowledge.AppendResponse(reply);
        for (std::string_view keyword : keywords) {
            knowledge.AppendKeyword(keyword);
        }
        knowledge.AppendKeyword(KnowledgeBase::kTerminator);
    }

    std::vector<std::string> FilesInDirectory() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(directory)) {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }
};

TEST_F(KnowledgeFileTest, MissingFileLoadsSilentlyAndIsCreatedEmptyAtShutdown) {
    KnowledgeFile file(path);

    file.LoadKnowledge(knowledge, host);
    EXPECT_EQ(knowledge.ResponseCount(), kSeedResponseCount);
    EXPECT_FALSE(file.NoSave());
    file.SaveKnowledge(knowledge, host);

    EXPECT_THAT(host.calls, IsEmpty());
    EXPECT_THAT(FilesInDirectory(), ElementsAre("Wobbet.dat"));
    EXPECT_EQ(ReadBytes(path), "");
}

TEST_F(KnowledgeFileTest, RecordsLearnedInARunAreThereAtTheNextStart) {
    WriteBytes(path, "Old\nOLD\n\n");
    KnowledgeFile first(path);
    first.LoadKnowledge(knowledge, host);
    Learn("New", {"NEW", "!", "CONTEXT"});
    first.SaveKnowledge(knowledge, host);

    KnowledgeBase nextRun;
    nextRun.LoadSeedTables();
    KnowledgeFile second(path);
    second.LoadKnowledge(nextRun, host);

    EXPECT_THAT(host.calls, IsEmpty());
    EXPECT_EQ(ReadBytes(path), "Old\r\nOLD\r\n\r\nNew\r\nNEW\r\n!\r\nCONTEXT\r\n\r\n");
    EXPECT_EQ(ResponsesFrom(nextRun, 0), ResponsesFrom(knowledge, 0));
    EXPECT_EQ(KeywordsFrom(nextRun, 0), KeywordsFrom(knowledge, 0));
}

TEST_F(KnowledgeFileTest, MisalignedFileIsReportedAndNeverOverwritten) {
    const std::string damaged = "Kept\r\nA\r\n\r\n\r\nLost\r\nB\r\n\r\n";
    WriteBytes(path, damaged);
    KnowledgeFile file(path);

    file.LoadKnowledge(knowledge, host);
    Learn("Learned this run", {"X"});
    file.SaveKnowledge(knowledge, host);

    EXPECT_THAT(host.calls, ElementsAre("ShowMessage Storage error: Space misalignment. Records "
                                        "added in this session cannot be saved."));
    EXPECT_TRUE(file.NoSave());
    EXPECT_THAT(ResponsesFrom(knowledge, kSeedResponseCount),
                ElementsAre("Kept", "Learned this run"));
    EXPECT_EQ(ReadBytes(path), damaged);
}

TEST_F(KnowledgeFileTest, FileEndingInsideARecordLoadsSilentlyAndIsRewrittenWhole) {
    WriteBytes(path, "Cut\nB");
    KnowledgeFile file(path);

    file.LoadKnowledge(knowledge, host);
    file.SaveKnowledge(knowledge, host);

    EXPECT_THAT(host.calls, IsEmpty());
    EXPECT_EQ(ReadBytes(path), "Cut\r\nB\r\n\r\n");
}

TEST_F(KnowledgeFileTest, DirectoryInPlaceOfTheFileStopsSaving) {
    fs::create_directory(path);
    KnowledgeFile file(path);

    file.LoadKnowledge(knowledge, host);
    Learn("Learned this run", {"X"});
    file.SaveKnowledge(knowledge, host);

    EXPECT_THAT(host.calls, ElementsAre("ShowMessage " + kLoadFailed));
    EXPECT_TRUE(file.NoSave());
    EXPECT_TRUE(fs::is_directory(path));
    EXPECT_THAT(FilesInDirectory(), ElementsAre("Wobbet.dat"));
}

TEST_F(KnowledgeFileTest, ReadFailureIsReportedAndTheFileKept) {
    WriteBytes(path, kExampleFile);
    FaultyFileSystem disk;
    disk.failing = DiskStep::kReadAll;
    KnowledgeFile file(path, disk);

    file.LoadKnowledge(knowledge, host);
    file.SaveKnowledge(knowledge, host);

    EXPECT_THAT(host.calls, ElementsAre("ShowMessage " + kLoadFailed));
    EXPECT_THAT(disk.steps, ElementsAre(DiskStep::kReadAll));
    EXPECT_EQ(knowledge.ResponseCount(), kSeedResponseCount);
    EXPECT_EQ(ReadBytes(path), kExampleFile);
}

TEST_F(KnowledgeFileTest, GroupWithoutAReplyIsReportedAfterSavingTheRecordsBeforeIt) {
    WriteBytes(path, "Previous\r\n\r\n");
    Learn("Whole", {"A"});
    knowledge.AppendKeyword("ORPHAN");
    knowledge.AppendKeyword(KnowledgeBase::kTerminator);
    KnowledgeFile file(path);

    file.SaveKnowledge(knowledge, host);

    EXPECT_THAT(host.calls, ElementsAre("ShowMessage Storage error: Space misalignment."));
    EXPECT_EQ(ReadBytes(path), "Whole\r\nA\r\n\r\n");
}

TEST_F(KnowledgeFileTest, DirectoryWhereTheNewContentGoesFailsTheSaveAndKeepsTheFile) {
    WriteBytes(path, kExampleFile);
    KnowledgeFile file(path);
    fs::create_directory(file.TemporaryPath());
    Learn("Learned this run", {"X"});

    file.SaveKnowledge(knowledge, host);

    EXPECT_THAT(host.calls, ElementsAre(kSaveFailed));
    EXPECT_EQ(ReadBytes(path), kExampleFile);
    EXPECT_TRUE(fs::is_directory(file.TemporaryPath()));
}

TEST_F(KnowledgeFileTest, LeftoverFromAnInterruptedSaveIsReplaced) {
    KnowledgeFile file(path);
    WriteBytes(file.TemporaryPath(), "half a save");
    Learn("Learned this run", {"X"});

    file.SaveKnowledge(knowledge, host);

    EXPECT_THAT(host.calls, IsEmpty());
    EXPECT_EQ(ReadBytes(path), "Learned this run\r\nX\r\n\r\n");
    EXPECT_THAT(FilesInDirectory(), ElementsAre("Wobbet.dat"));
}

// Every disk step of a save, failing in turn.
class FailingSaveStepTest : public KnowledgeFileTest,
                            public ::testing::WithParamInterface<DiskStep> {};

TEST_P(FailingSaveStepTest, LeavesThePreviousFileAndNoTemporaryFile) {
    WriteBytes(path, kExampleFile);
    FaultyFileSystem disk;
    KnowledgeFile file(path, disk);
    file.LoadKnowledge(knowledge, host);
    Learn("Learned this run", {"X"});
    disk.failing = GetParam();

    file.SaveKnowledge(knowledge, host);

    EXPECT_THAT(host.calls, ElementsAre(kSaveFailed));
    EXPECT_EQ(ReadBytes(path), kExampleFile);
    EXPECT_THAT(FilesInDirectory(), ElementsAre("Wobbet.dat"));
}

INSTANTIATE_TEST_SUITE_P(EachStep, FailingSaveStepTest,
                         ::testing::Values(DiskStep::kCreateNew, DiskStep::kWrite, DiskStep::kFlush,
                                           DiskStep::kClose, DiskStep::kReplace),
                         [](const auto& step) { return DiskStepName(step.param); });

#ifdef _WIN32

TEST_F(KnowledgeFileTest, FileLockedByAnotherProgramIsReportedAndLeftUntouched) {
    WriteBytes(path, kExampleFile);
    const HANDLE lock = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    KnowledgeFile file(path);

    file.LoadKnowledge(knowledge, host);
    file.SaveKnowledge(knowledge, host);
    CloseHandle(lock);

    EXPECT_THAT(host.calls, ElementsAre("ShowMessage " + kLoadFailed));
    EXPECT_EQ(ReadBytes(path), kExampleFile);
}

#else

// Root reads and writes whatever the permission bits say, so a check about them runs in a child
// process as the unprivileged user "nobody" when the tests run as root. Returns what the check
// returns, or a note that the child could not run it.
std::string RunWithoutPrivileges(const std::function<std::string()>& check) {
    if (geteuid() != 0) {
        return check();
    }
    int channel[2];
    if (pipe(channel) != 0) {
        return "no pipe";
    }
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        constexpr uid_t kNobody = 65534;
        std::string result = "could not become nobody";
        if (setgid(kNobody) == 0 && setuid(kNobody) == 0) {
            result = check();
        }
        const ssize_t ignored = write(channel[1], result.data(), result.size());
        static_cast<void>(ignored);
        _exit(0);
    }
    close(channel[1]);
    std::string result;
    char buffer[256];
    for (ssize_t got; (got = read(channel[0], buffer, sizeof buffer)) > 0;) {
        result.append(buffer, static_cast<std::size_t>(got));
    }
    close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return result;
}

std::string Messages(const RecordingHost& host) {
    std::string messages;
    for (const std::string& call : host.calls) {
        messages += call + ";";
    }
    return messages;
}

mode_t Permissions(const std::string& name) {
    struct stat status {};
    stat(name.c_str(), &status);
    return status.st_mode & 0777;
}

TEST_F(KnowledgeFileTest, UnreadableFileIsReportedAndLeftUntouched) {
    WriteBytes(path, kExampleFile);
    fs::permissions(directory, fs::perms::all);
    chmod(path.c_str(), 0);

    const std::string messages = RunWithoutPrivileges([this] {
        KnowledgeFile file(path);
        file.LoadKnowledge(knowledge, host);
        Learn("Learned this run", {"X"});
        file.SaveKnowledge(knowledge, host);
        return Messages(host);
    });

    EXPECT_EQ(messages, "ShowMessage " + kLoadFailed + ";");
    chmod(path.c_str(), 0600);
    EXPECT_EQ(ReadBytes(path), kExampleFile);
}

TEST_F(KnowledgeFileTest, UnwritableDirectoryFailsTheSaveAndKeepsTheFile) {
    WriteBytes(path, kExampleFile);
    fs::permissions(path, fs::perms::all);
    chmod(directory.c_str(), 0555);

    const std::string messages = RunWithoutPrivileges([this] {
        KnowledgeFile file(path);
        file.LoadKnowledge(knowledge, host);
        Learn("Learned this run", {"X"});
        file.SaveKnowledge(knowledge, host);
        return Messages(host);
    });

    EXPECT_EQ(messages, kSaveFailed + ";");
    EXPECT_EQ(ReadBytes(path), kExampleFile);
    EXPECT_THAT(FilesInDirectory(), ElementsAre("Wobbet.dat"));
}

TEST_F(KnowledgeFileTest, LinkToItselfIsReportedAsUnreadable) {
    fs::create_symlink("Wobbet.dat", path);
    KnowledgeFile file(path);

    file.LoadKnowledge(knowledge, host);
    file.SaveKnowledge(knowledge, host);

    EXPECT_THAT(host.calls, ElementsAre("ShowMessage " + kLoadFailed));
    EXPECT_TRUE(fs::is_symlink(path));
}

TEST_F(KnowledgeFileTest, PipeInPlaceOfTheFileIsReportedWithoutWaiting) {
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    KnowledgeFile file(path);

    file.LoadKnowledge(knowledge, host);

    EXPECT_THAT(host.calls, ElementsAre("ShowMessage " + kLoadFailed));
    EXPECT_TRUE(file.NoSave());
}

TEST_F(KnowledgeFileTest, NewFileIsReadableByItsOwnerOnly) {
    KnowledgeFile file(path);

    file.SaveKnowledge(knowledge, host);

    EXPECT_EQ(Permissions(path), 0600u);
}

TEST_F(KnowledgeFileTest, ReplacedFileKeepsItsPermissions) {
    WriteBytes(path, kExampleFile);
    chmod(path.c_str(), 0640);
    KnowledgeFile file(path);
    Learn("Learned this run", {"X"});

    file.SaveKnowledge(knowledge, host);

    EXPECT_EQ(Permissions(path), 0640u);
    EXPECT_EQ(ReadBytes(path), "Learned this run\r\nX\r\n\r\n");
}

TEST_F(KnowledgeFileTest, LinkPlantedAgainAfterTheLeftoverIsRemovedFailsTheSave) {
    const std::string victim = (directory / "victim").string();
    WriteBytes(victim, "precious");
    WriteBytes(path, kExampleFile);
    FaultyFileSystem disk;
    disk.failing = DiskStep::kRemove;
    KnowledgeFile file(path, disk);
    fs::create_symlink(victim, file.TemporaryPath());
    Learn("Learned this run", {"X"});

    file.SaveKnowledge(knowledge, host);

    EXPECT_THAT(host.calls, ElementsAre(kSaveFailed));
    EXPECT_EQ(ReadBytes(victim), "precious");
    EXPECT_EQ(ReadBytes(path), kExampleFile);
}

#endif

}  // namespace
}  // namespace wobbet::testing
