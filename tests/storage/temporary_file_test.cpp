// While a save writes the new content, nobody but the owner may read it unless the file it
// replaces was readable by them already; the replacement keeps the old file's owner, group and
// permissions, so that everyone who could read the knowledge file still can.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <optional>

#include "storage/knowledge_file.h"
#include "tests/support/recording_host.h"
#include "tests/support/scratch_directory.h"

namespace wobbet::testing {
namespace {

namespace fs = std::filesystem;
using ::testing::IsEmpty;

constexpr uid_t kNobody = 65534;
constexpr gid_t kNogroup = 65534;

// Whether the user "nobody" can open the file for reading, tried in a child process; only
// meaningful when the tests run as root, who can become nobody.
bool NobodyCanRead(const std::string& path) {
    const pid_t child = fork();
    if (child == 0) {
        if (setgroups(0, nullptr) != 0 || setgid(kNogroup) != 0 || setuid(kNobody) != 0) {
            _exit(2);
        }
        const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW);
        _exit(fd >= 0 ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) != 2) << "could not become nobody";
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The real file system, looking at the temporary file each time content is written to it.
class WatchingFileSystem final : public FileSystem {
public:
    struct Sight {
        bool regularFile = false;
        mode_t permissions = 0;
        bool nobodyCanRead = false;
    };
    std::string temporaryPath;
    std::vector<Sight> sights;

    ReadResult ReadAll(const std::string& path, std::string* bytes) override {
        return real_.ReadAll(path, bytes);
    }
    std::optional<Handle> CreateNew(const std::string& path,
                                    const std::string& permissionsFrom) override {
        return real_.CreateNew(path, permissionsFrom);
    }
    bool Write(Handle file, std::string_view bytes) override {
        struct stat status {};
        Sight sight;
        if (lstat(temporaryPath.c_str(), &status) == 0) {
            sight.regularFile = S_ISREG(status.st_mode);
            sight.permissions = status.st_mode & 07777;
        }
        sight.nobodyCanRead = geteuid() == 0 && NobodyCanRead(temporaryPath);
        sights.push_back(sight);
        return real_.Write(file, bytes);
    }
    bool Flush(Handle file) override { return real_.Flush(file); }
    bool Close(Handle file) override { return real_.Close(file); }
    bool Replace(const std::string& from, const std::string& to) override {
        return real_.Replace(from, to);
    }
    bool Remove(const std::string& path) override { return real_.Remove(path); }

private:
    FileSystem& real_ = NativeFileSystem();
};

class TemporaryFileTest : public ScratchDirectoryTest {
protected:
    RecordingHost host;
    KnowledgeBase knowledge;

    void SetUp() override {
        ScratchDirectoryTest::SetUp();
        // Others may pass through the directory, so only the files' own permissions stop them.
        fs::permissions(directory,
                        fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
        knowledge.LoadSeedTables();
        knowledge.AppendResponse("Learned this run");
        knowledge.AppendKeyword("X");
        knowledge.AppendKeyword(KnowledgeBase::kTerminator);
    }

    static struct stat Status(const std::string& path) {
        struct stat status {};
        EXPECT_EQ(lstat(path.c_str(), &status), 0);
        return status;
    }
};

// The permissions of the file being replaced, or none when there is no file yet.
class PrivateWhileWrittenTest : public TemporaryFileTest,
                                public ::testing::WithParamInterface<std::optional<mode_t>> {};

TEST_P(PrivateWhileWrittenTest, NoOneElseReadsTheNewContentBeforeItIsInPlace) {
    const std::optional<mode_t> oldPermissions = GetParam();
    if (oldPermissions) {
        WriteBytes(knowledgePath, "Old\r\nOLD\r\n\r\n");
        ASSERT_EQ(chmod(knowledgePath.c_str(), *oldPermissions), 0);
    }
    WatchingFileSystem disk;
    KnowledgeFile file(knowledgePath, disk);
    disk.temporaryPath = file.TemporaryPath();

    file.SaveKnowledge(knowledge, host);

    EXPECT_THAT(host.calls, IsEmpty());
    ASSERT_FALSE(disk.sights.empty());
    const mode_t allowed = oldPermissions.value_or(0600);
    for (const WatchingFileSystem::Sight& sight : disk.sights) {
        EXPECT_TRUE(sight.regularFile);
        EXPECT_EQ(sight.permissions & ~allowed, 0u) << std::oct << sight.permissions;
        EXPECT_EQ(sight.nobodyCanRead, (allowed & 0004) != 0 && geteuid() == 0);
    }
    EXPECT_EQ(Status(knowledgePath).st_mode & 07777, allowed);
}

INSTANTIATE_TEST_SUITE_P(NoFileOrAnOwnerOnlyGroupOrWorldReadableOne, PrivateWhileWrittenTest,
                         ::testing::Values(std::nullopt, 0600, 0640, 0644, 0400));

TEST_F(TemporaryFileTest, ReplacedFileKeepsItsOwnerAndGroup) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "only root can give the knowledge file to another user";
    }
    WriteBytes(knowledgePath, "Old\r\nOLD\r\n\r\n");
    ASSERT_EQ(chown(knowledgePath.c_str(), kNobody, kNogroup), 0);
    ASSERT_EQ(chmod(knowledgePath.c_str(), 0600), 0);
    KnowledgeFile file(knowledgePath);

    file.SaveKnowledge(knowledge, host);

    EXPECT_THAT(host.calls, IsEmpty());
    const struct stat status = Status(knowledgePath);
    EXPECT_EQ(status.st_uid, kNobody);
    EXPECT_EQ(status.st_gid, kNogroup);
    EXPECT_EQ(status.st_mode & 07777, 0600u);
    // Its owner can still read what was saved for them.
    EXPECT_TRUE(NobodyCanRead(knowledgePath));
}

}  // namespace
}  // namespace wobbet::testing
