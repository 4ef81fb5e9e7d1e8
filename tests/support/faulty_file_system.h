#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "storage/file_system.h"

namespace wobbet::testing {

enum class DiskStep { kReadAll, kCreateNew, kWrite, kFlush, kClose, kReplace, kRemove };

inline std::string DiskStepName(DiskStep step) {
    constexpr std::string_view kNames[] = {"ReadAll", "CreateNew", "Write", "Flush",
                                           "Close",   "Replace",   "Remove"};
    return std::string(kNames[static_cast<int>(step)]);
}

inline void PrintTo(DiskStep step, std::ostream* out) {
    *out << DiskStepName(step);
}

// The real file system with one step made to fail, logging every step it is asked for. A failed
// write has written half its bytes; a failed close has still released the file.
class FaultyFileSystem : public FileSystem {
public:
    std::optional<DiskStep> failing;
    std::vector<DiskStep> steps;

    ReadResult ReadAll(const std::string& path, std::string* bytes) override {
        if (Fails(DiskStep::kReadAll)) {
            return ReadResult::kFailed;
        }
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
        if (Fails(DiskStep::kWrite)) {
            real_.Write(file, bytes.substr(0, bytes.size() / 2));
            return false;
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
    bool Fails(DiskStep step) {
        steps.push_back(step);
        return failing == step;
    }

    FileSystem& real_ = NativeFileSystem();
};

}  // namespace wobbet::testing
