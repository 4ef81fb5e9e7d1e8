#pragma once

#include <functional>
#include <optional>
#include <string>

#include "storage/file_system.h"

namespace wobbet::testing {

enum class DiskStep { kCreateNew, kWrite, kFlush, kClose, kReplace, kRemove };

// The real file system with one step made to fail. A failed write has written half its bytes, as
// on a full disk; a failed close has still released the file.
class FaultyFileSystem : public FileSystem {
public:
    std::optional<DiskStep> failing;
    // Called before each write, to look at the file being written.
    std::function<void()> beforeWrite;

    ReadResult ReadAll(const std::string& path, std::string* bytes) override {
        return real_.ReadAll(path, bytes);
    }
    std::optional<Handle> CreateNew(const std::string& path,
                                    const std::string& permissionsFrom) override {
        return failing == DiskStep::kCreateNew ? std::nullopt
                                               : real_.CreateNew(path, permissionsFrom);
    }
    bool Write(Handle file, std::string_view bytes) override {
        if (beforeWrite) {
            beforeWrite();
        }
        if (failing == DiskStep::kWrite) {
            real_.Write(file, bytes.substr(0, bytes.size() / 2));
            return false;
        }
        return real_.Write(file, bytes);
    }
    bool Flush(Handle file) override { return failing != DiskStep::kFlush && real_.Flush(file); }
    bool Close(Handle file) override {
        const bool closed = real_.Close(file);
        return failing != DiskStep::kClose && closed;
    }
    bool Replace(const std::string& from, const std::string& to) override {
        return failing != DiskStep::kReplace && real_.Replace(from, to);
    }
    bool Remove(const std::string& path) override {
        return failing != DiskStep::kRemove && real_.Remove(path);
    }

private:
    FileSystem& real_ = NativeFileSystem();
};

}  // namespace wobbet::testing
