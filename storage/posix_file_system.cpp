#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <memory>
#include <utility>

#include "storage/file_system.h"

namespace wobbet {
namespace {

int Descriptor(FileSystem::Handle file) {
    return static_cast<int>(file);
}

// The folder a path names its file in: "." for a bare name, "/" for a name in the root.
std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
}

bool Accessible(const std::string& path, int mode) {
    // The effective ids decide, as they do for the save itself.
    return faccessat(AT_FDCWD, path.c_str(), mode, AT_EACCESS) == 0;
}

// Closes the descriptor it holds when it goes, whichever way the scope is left.
class OwnedDescriptor {
public:
    explicit OwnedDescriptor(int fd) : fd_(fd) {}
    OwnedDescriptor(const OwnedDescriptor&) = delete;
    OwnedDescriptor& operator=(const OwnedDescriptor&) = delete;
    ~OwnedDescriptor() {
        if (fd_ >= 0) {
            close(fd_);
        }
    }

    int Get() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }
    // Hands the descriptor over to the caller, who closes it from now on.
    int Release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

class PosixFileSystem final : public FileSystem {
public:
    ReadResult ReadAll(const std::string& path, std::string* bytes) override {
        bytes->clear();
        // Non-blocking, so that a FIFO put in the file's place cannot hang the start.
        const OwnedDescriptor file(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
        if (!file.Valid()) {
            return errno == ENOENT ? ReadResult::kMissing : ReadResult::kFailed;
        }
        return ReadOpenFile(file.Get(), bytes);
    }

    ReadResult ReadInPieces(const std::string& path,
                            const std::function<bool(std::string_view)>& piece) override {
        const OwnedDescriptor file(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
        if (!file.Valid()) {
            return errno == ENOENT ? ReadResult::kMissing : ReadResult::kFailed;
        }
        if (!IsRegularFile(file.Get())) {
            return ReadResult::kFailed;
        }
        std::vector<char> buffer(kPieceSize);
        for (;;) {
            const ssize_t got = read(file.Get(), buffer.data(), buffer.size());
            if (got < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return ReadResult::kFailed;
            }
            if (got == 0 ||
                !piece(std::string_view(buffer.data(), static_cast<std::size_t>(got)))) {
                return ReadResult::kRead;
            }
        }
    }

    std::optional<std::uint64_t> SizeOf(const std::string& path) override {
        struct stat status {};
        if (stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) {
            return std::nullopt;
        }
        return static_cast<std::uint64_t>(status.st_size);
    }

    std::optional<Handle> CreateNew(const std::string& path,
                                    const std::string& permissionsFrom) override {
        OwnedDescriptor file(
            open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!file.Valid()) {
            return std::nullopt;
        }
        struct stat previous {};
        if (stat(permissionsFrom.c_str(), &previous) == 0 && S_ISREG(previous.st_mode)) {
            // The replacement goes to the same owner and group, so that whoever could read the
            // file still can after root or another member of its group saved it. Only root may
            // give a file away, so failing that keeps at least the group where allowed.
            if (fchown(file.Get(), previous.st_uid, previous.st_gid) != 0) {
                static_cast<void>(fchown(file.Get(), static_cast<uid_t>(-1), previous.st_gid));
            }
            if (fchmod(file.Get(), previous.st_mode & 0777) != 0) {
                unlink(path.c_str());
                return std::nullopt;
            }
        }
        return file.Release();
    }

    bool Write(Handle file, std::string_view bytes) override {
        while (!bytes.empty()) {
            const ssize_t written = write(Descriptor(file), bytes.data(), bytes.size());
            if (written < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return false;
            }
            bytes.remove_prefix(static_cast<std::size_t>(written));
        }
        return true;
    }

    bool Flush(Handle file) override { return fsync(Descriptor(file)) == 0; }

    bool Close(Handle file) override { return close(Descriptor(file)) == 0; }

    bool Replace(const std::string& from, const std::string& to) override {
        if (std::rename(from.c_str(), to.c_str()) != 0) {
            return false;
        }
        // The new name is in place; syncing the directory only makes it last through a power
        // cut, so a failure here no longer concerns the old file.
        SyncDirectoryOf(to);
        return true;
    }

    bool Remove(const std::string& path) override { return unlink(path.c_str()) == 0; }

    bool CreatePrivateDirectories(const std::string& path) override {
        // Each level in turn; one that is already there fails with EEXIST and stays as it is.
        for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
             slash = path.find('/', slash + 1)) {
            mkdir(path.substr(0, slash).c_str(), 0700);
        }
        mkdir(path.c_str(), 0700);
        struct stat status {};
        return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
    }

    std::vector<std::string> ListDirectory(const std::string& path) override {
        std::vector<std::string> names;
        const std::unique_ptr<DIR, int (*)(DIR*)> directory(opendir(path.c_str()), closedir);
        if (!directory) {
            return names;
        }
        while (const dirent* entry = readdir(directory.get())) {
            names.emplace_back(entry->d_name);
        }
        return names;
    }

    bool ProcessRunning(std::uint32_t id) override {
        // Ids beyond pid_t's range name no process; 0 would ask about this process group.
        if (id == 0 || id > static_cast<std::uint32_t>(std::numeric_limits<pid_t>::max())) {
            return false;
        }
        // EPERM: the process exists but belongs to someone else.
        return kill(static_cast<pid_t>(id), 0) == 0 || errno == EPERM;
    }

    std::string FinalTarget(const std::string& path) override {
        std::string target = path;
        // As many links as the system itself follows.
        for (int hop = 0; hop < 40; ++hop) {
            std::string link(PATH_MAX, '\0');
            const ssize_t length = readlink(target.c_str(), link.data(), link.size());
            if (length < 0 || static_cast<std::size_t>(length) == link.size()) {
                break;
            }
            link.resize(static_cast<std::size_t>(length));
            const std::size_t slash = target.rfind('/');
            target = link.starts_with('/') || slash == std::string::npos
                         ? link
                         : target.substr(0, slash + 1) + link;
        }
        const std::unique_ptr<char, void (*)(void*)> folder(
            realpath(FolderOf(target).c_str(), nullptr), std::free);
        if (!folder) {
            return target;
        }
        const std::string name = target.substr(target.rfind('/') + 1);
        return (std::string_view(folder.get()) == "/" ? "" : std::string(folder.get())) + "/" +
               name;
    }

    bool MayWrite(const std::string& path) override {
        if (Accessible(path, F_OK) && !Accessible(path, W_OK)) {
            return false;
        }
        // A folder still to be made is made in the nearest one that exists.
        for (std::string folder = FolderOf(path);; folder = FolderOf(folder)) {
            struct stat status {};
            if (stat(folder.c_str(), &status) == 0) {
                return Accessible(folder, W_OK | X_OK);
            }
            if (folder == "." || folder == "/") {
                return false;
            }
        }
    }

    LockResult Lock(const std::string& path, Handle* lock) override {
        constexpr int kFlags = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
        int fd = open(path.c_str(), O_RDWR | O_CREAT | kFlags, 0644);
        // Others sharing the folder lock the file the first one made, which they may only read.
        if (fd < 0 && errno != ENOENT) {
            fd = open(path.c_str(), O_RDONLY | kFlags);
        }
        OwnedDescriptor file(fd);
        if (!file.Valid()) {
            return LockResult::kUnavailable;
        }
        if (flock(file.Get(), LOCK_EX | LOCK_NB) != 0) {
            return errno == EWOULDBLOCK ? LockResult::kHeld : LockResult::kUnavailable;
        }
        *lock = file.Release();
        return LockResult::kLocked;
    }

private:
    static constexpr std::size_t kPieceSize = 1 << 20;

    static bool IsRegularFile(int fd) {
        struct stat status {};
        return fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
    }

    static ReadResult ReadOpenFile(int fd, std::string* bytes) {
        struct stat status {};
        if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
            return ReadResult::kFailed;
        }
        // The size is a hint: the file may change while it is read.
        bytes->resize(static_cast<std::size_t>(status.st_size) + 1);
        std::size_t filled = 0;
        for (;;) {
            if (filled == bytes->size()) {
                bytes->resize(bytes->size() * 2);
            }
            const ssize_t got = read(fd, bytes->data() + filled, bytes->size() - filled);
            if (got < 0) {
                if (errno == EINTR) {
                    continue;
                }
                bytes->clear();
                return ReadResult::kFailed;
            }
            if (got == 0) {
                break;
            }
            filled += static_cast<std::size_t>(got);
        }
        bytes->resize(filled);
        return ReadResult::kRead;
    }

    static void SyncDirectoryOf(const std::string& path) {
        const OwnedDescriptor directoryFile(
            open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (directoryFile.Valid()) {
            fsync(directoryFile.Get());
        }
    }
};

}  // namespace

FileSystem& NativeFileSystem() {
    static PosixFileSystem fileSystem;
    return fileSystem;
}

std::uint32_t CurrentProcessId() {
    return static_cast<std::uint32_t>(getpid());
}

}  // namespace wobbet
