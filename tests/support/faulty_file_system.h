#pragma once

#include <algorithm>
#include <functional>
#include <optional>
#include <string>

#include "storage/file_system.h"

namespace wobbet::testing {

enum class DiskStep { kCreateNew, kWrite, kFlush, kClose, kReplace, kRemove };

// The real file system with one step made to fail. A failed write has written half its bytes; a
// failed close has still released the file. With freeBytes set, a write that does not fit writes
// what fits and fails, as on a full disk.
class FaultyFileSystem : public FileSystem {
public:
    std::optional<DiskStep> failing;
    std::optional<std::size_t> freeBytes;
    // Called before each write, to look at the file being written.
    std::function<void()> beforeWrite;

    ReadResult ReadAll(const std::string& path, std::string* bytes) override {
        return real_.ReadAll(path, bytes);
    }
    std::optional<Handle> CreateNew(const std::string& path,
                                    const std::string& permissionsFrom) override {
        if (Fails(DiskStep::kCreateNew)) {
            return std::nullopt;
        }
        return real_.CreateNew(path, permissionsFrom);
    }
    bool Write(Handle file, std::string_view bytes) override {
        if (beforeWrite) {
            beforeWrite();
        }
        if (Fails(DiskStep::kWrite)) {
            real_.Write(file, bytes.substr(0, bytes.size() / 2));
            return false;
        }
        if (freeBytes) {
            const std::size_t fits = std::min(bytes.size(), *freeBytes);
            *freeBytes -= fits;
            return real_.Write(file, bytes.substr(0, fits)) && fits == bytes.size();
        }
        return real_.Write(file, bytes);
    }
    bool Flush(Handle file) override { return !Fails(DiskStep::kFlush) && real_.Flush(file); }
    bool Close(Handle file) override {
        const bool closed = real_.Close(file);
        return !Fails(DiskStep::kClose) && closed;
    }
    bool Replace(const std::string& from, const std::string& to) override {
        return !Fails(DiskStep::kReplace) && real_.Replace(from, to);
    }
    bool Remove(const std::string& path) override {
        return !Fails(DiskStep::kRemove) && real_.Remove(path);
    }

private:
    bool Fails(DiskStep step) const { return failing == step; }

    FileSystem& real_ = NativeFileSystem();
};

}  // namespace wobbet::testing
