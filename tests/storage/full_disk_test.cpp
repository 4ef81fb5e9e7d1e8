// A full disk is one more failed save: the previous file stays byte for byte, no temporary file
// is left and the user hears "Storage error: Save failed.". Once there is room again, the same
// records save. Tried on a real small filesystem where this machine lets the test mount one,
// and always through the storage seam with a byte budget.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/mount.h>

#include <cerrno>
#include <cstring>

#include "storage/knowledge_file.h"
#include "storage/knowledge_format.h"
#include "tests/support/recording_host.h"
#include "tests/support/scratch_directory.h"

namespace wobbet::testing {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

const std::string kSaveFailed = "ShowMessage " + std::string(kSaveFailedMessage);

// The real file system, with room for only so many more bytes: a write that does not fit writes
// what fits and fails, as on a full disk.
class LimitedSpaceFileSystem final : public FileSystem {
public:
    explicit LimitedSpaceFileSystem(std::size_t freeBytes) : freeBytes_(freeBytes) {}

    ReadResult ReadAll(const std::string& path, std::string* bytes) override {
        return real_.ReadAll(path, bytes);
    }
    std::optional<Handle> CreateNew(const std::string& path,
                                    const std::string& permissionsFrom) override {
        return real_.CreateNew(path, permissionsFrom);
    }
    bool Write(Handle file, std::string_view bytes) override {
        const std::size_t fits = std::min(bytes.size(), freeBytes_);
        freeBytes_ -= fits;
        return real_.Write(file, bytes.substr(0, fits)) && fits == bytes.size();
    }
    bool Flush(Handle file) override { return real_.Flush(file); }
    bool Close(Handle file) override { return real_.Close(file); }
    bool Replace(const std::string& from, const std::string& to) override {
        return real_.Replace(from, to);
    }
    bool Remove(const std::string& path) override { return real_.Remove(path); }

private:
    std::size_t freeBytes_;
    FileSystem& real_ = NativeFileSystem();
};

class FullDiskTest : public ScratchDirectoryTest {
protected:
    RecordingHost host;
    KnowledgeBase knowledge;
    std::string oldFile;
    std::string newFile;

    void SetUp() override {
        ScratchDirectoryTest::SetUp();
        oldFile = GeneratedKnowledge(1000);
        knowledge.LoadSeedTables();
        ReadKnowledge(oldFile, knowledge);
        for (int i = 0; i < 1000; ++i) {
            knowledge.AppendResponse("Learned in this run, number " + std::to_string(i));
            knowledge.AppendKeyword("LEARNED");
            knowledge.AppendKeyword(KnowledgeBase::kTerminator);
        }
        WriteKnowledge(knowledge, &newFile);
    }

    // Saves to the knowledge file at `path`, which holds the old file, through the file system.
    void Save(const std::string& path, FileSystem& fileSystem) {
        KnowledgeFile file(path, fileSystem);
        file.SaveKnowledge(knowledge, host);
    }
};

class FullDiskThroughTheSeamTest : public FullDiskTest,
                                   public ::testing::WithParamInterface<double> {};

TEST_P(FullDiskThroughTheSeamTest, FailsTheSaveAndKeepsTheOldFile) {
    WriteBytes(knowledgePath, oldFile);
    const auto freeBytes =
        static_cast<std::size_t>(GetParam() * static_cast<double>(newFile.size()));
    LimitedSpaceFileSystem disk(freeBytes);

    Save(knowledgePath, disk);

    EXPECT_THAT(host.calls, ElementsAre(kSaveFailed));
    EXPECT_TRUE(ReadBytes(knowledgePath) == oldFile);
    EXPECT_THAT(OtherFiles(), IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(NoRoomHalfTheFileOrAllButOneByte, FullDiskThroughTheSeamTest,
                         ::testing::Values(0.0, 0.5, 0.9999));

TEST_F(FullDiskTest, SeamWithJustEnoughRoomSaves) {
    WriteBytes(knowledgePath, oldFile);
    LimitedSpaceFileSystem disk(newFile.size());

    Save(knowledgePath, disk);

    EXPECT_THAT(host.calls, IsEmpty());
    EXPECT_TRUE(ReadBytes(knowledgePath) == newFile);
    EXPECT_THAT(OtherFiles(), IsEmpty());
}

// A tmpfs of 1 MiB mounted inside the test's directory, filled up by a filler file.
class SmallFilesystemTest : public FullDiskTest {
protected:
    fs::path mountPoint;
    fs::path filler;
    std::string path;
    bool mounted = false;

    void SetUp() override {
        FullDiskTest::SetUp();
        mountPoint = directory / "disk";
        fs::create_directory(mountPoint);
        if (mount("tmpfs", mountPoint.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=1m") != 0) {
            GTEST_SKIP() << "this machine does not let the test mount a small filesystem ("
                         << std::strerror(errno)
                         << "); the full disk is covered through the storage seam";
        }
        mounted = true;
        path = (mountPoint / "Wobbet.dat").string();
        filler = mountPoint / "filler";
        WriteBytes(path, oldFile);
    }

    void TearDown() override {
        if (mounted) {
            umount2(mountPoint.c_str(), MNT_DETACH);
        }
        FullDiskTest::TearDown();
    }

    // Fills the filesystem, then frees `room` bytes again.
    void LeaveRoom(std::size_t room) {
        FILE* out = std::fopen(filler.c_str(), "wb");
        ASSERT_NE(out, nullptr);
        const std::string block(4096, 'f');
        while (std::fwrite(block.data(), 1, block.size(), out) == block.size() &&
               std::fflush(out) == 0) {
        }
        std::fclose(out);
        const auto size = fs::file_size(filler);
        fs::resize_file(filler, size > room ? size - room : 0);
    }

    std::vector<std::string> FilesOnTheDisk() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(mountPoint)) {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }
};

TEST_F(SmallFilesystemTest, FullDiskFailsTheSaveUntilThereIsRoomAgain) {
    ASSERT_GT(newFile.size(), 64u * 1024u) << "the new file must not fit in the room left";
    for (const std::size_t room : {std::size_t{0}, std::size_t{64} * 1024}) {
        SCOPED_TRACE(room);
        host.calls.clear();
        LeaveRoom(room);

        Save(path, NativeFileSystem());

        EXPECT_THAT(host.calls, ElementsAre(kSaveFailed));
        EXPECT_TRUE(ReadBytes(path) == oldFile);
        EXPECT_THAT(FilesOnTheDisk(), UnorderedElementsAre("Wobbet.dat", "filler"));
    }

    host.calls.clear();
    fs::remove(filler);
    Save(path, NativeFileSystem());

    EXPECT_THAT(host.calls, IsEmpty());
    EXPECT_TRUE(ReadBytes(path) == newFile);
    EXPECT_THAT(FilesOnTheDisk(), ElementsAre("Wobbet.dat"));
}

}  // namespace
}  // namespace wobbet::testing
