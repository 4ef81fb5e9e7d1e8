#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace wobbet {

// The disk steps of loading and saving the knowledge file. The program uses the platform's own;
// tests put one in front of it that can make any step fail.
class FileSystem {
public:
    // An open file: a descriptor on POSIX, a HANDLE on Windows.
    using Handle = std::intptr_t;

    enum class ReadResult {
        kRead,
        // Nothing exists at the path.
        kMissing,
        // Something is there but could not be read whole: no access, locked, not a file.
        kFailed,
    };

    virtual ~FileSystem() = default;

    // Replaces *bytes by the whole content of the file. May throw std::bad_alloc.
    virtual ReadResult ReadAll(const std::string& path, std::string* bytes) = 0;
    // Hands the file's content to `piece` in order, a piece at a time, so that a large file need
    // not be held whole; stops early when `piece` returns false. The pieces handed before a
    // failure are to be thrown away. May throw std::bad_alloc, and passes on what `piece` throws.
    virtual ReadResult ReadInPieces(const std::string& path,
                                    const std::function<bool(std::string_view)>& piece) {
        std::string bytes;
        const ReadResult result = ReadAll(path, &bytes);
        if (result == ReadResult::kRead) {
            piece(bytes);
        }
        return result;
    }
    // Creates a new file for writing, readable by its owner only or, when a regular file exists
    // at `permissionsFrom`, with that file's permissions, and its owner and group where the
    // system allows. Fails rather than open anything that already exists at the path, a link
    // included.
    virtual std::optional<Handle> CreateNew(const std::string& path,
                                            const std::string& permissionsFrom) = 0;
    // Writes all the bytes.
    virtual bool Write(Handle file, std::string_view bytes) = 0;
    // Returns once the file's content has reached the disk.
    virtual bool Flush(Handle file) = 0;
    // Releases the handle in every case; false when the close reports an error.
    virtual bool Close(Handle file) = 0;
    // Puts the file at `from` in place of the one at `to` in a single step.
    virtual bool Replace(const std::string& from, const std::string& to) = 0;
    // Removes a file or a link, never a directory.
    virtual bool Remove(const std::string& path) = 0;

    // The steps below have safe defaults, for platforms and test doubles that leave them out.

    // Creates the directory, and any missing directory above it, readable by its owner only;
    // directories already there keep their permissions. True when the directory exists after.
    virtual bool CreatePrivateDirectories(const std::string&) { return true; }
    // The names of the entries in the directory; none when it cannot be listed.
    virtual std::vector<std::string> ListDirectory(const std::string&) { return {}; }
    // Whether a process with this id runs now; true when that cannot be known, so that nothing
    // a running copy still uses is ever taken for a leftover.
    virtual bool ProcessRunning(std::uint32_t) { return true; }
    // The file a path leads to: links followed to their final target, which need not exist yet,
    // in a folder named without links.
    virtual std::string FinalTarget(const std::string& path) { return path; }
    // The size of the file at the path, where it can be known: a hint, as it may change.
    virtual std::optional<std::uint64_t> SizeOf(const std::string&) { return std::nullopt; }
    // Whether this process may put a new file at the path: the file, if there is one, and the
    // folder that holds it (or would, once made) are writable.
    virtual bool MayWrite(const std::string&) { return true; }

    enum class LockResult {
        kLocked,
        // Another open lock, in this process or another, holds it.
        kHeld,
        // No lock could be made, such as in a folder that cannot be written.
        kUnavailable,
    };
    // Takes an advisory lock on the file at the path, made when missing. The lock goes with the
    // handle's Close, or with the process, however it ends.
    virtual LockResult Lock(const std::string&, Handle*) { return LockResult::kUnavailable; }
};

// The platform's file system.
FileSystem& NativeFileSystem();

// Identifies this process among those running, for names that must not collide between them.
std::uint32_t CurrentProcessId();

}  // namespace wobbet
