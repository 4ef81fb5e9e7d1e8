#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

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
    // Creates a new file for writing, readable by its owner only or, when a regular file exists
    // at `permissionsFrom`, with that file's permissions. Fails rather than open anything that
    // already exists at the path, a link included.
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
};

// The platform's file system.
FileSystem& NativeFileSystem();

// Identifies this process among those running, for names that must not collide between them.
std::uint32_t CurrentProcessId();

}  // namespace wobbet
