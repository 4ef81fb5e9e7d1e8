#include <windows.h>

#include <algorithm>

#include "storage/file_system.h"

namespace wobbet {
namespace {

HANDLE NativeHandle(FileSystem::Handle file) {
    return reinterpret_cast<HANDLE>(file);
}

// Closes the handle it holds when it goes, whichever way the scope is left.
class OwnedHandle {
public:
    explicit OwnedHandle(HANDLE handle) : handle_(handle) {}
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;
    ~OwnedHandle() {
        if (Valid()) {
            CloseHandle(handle_);
        }
    }

    HANDLE Get() const { return handle_; }
    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_;
};

// ReadFile and WriteFile move at most a DWORD's worth of bytes per call.
constexpr std::size_t kLargestTransfer = 1u << 30;

class Win32FileSystem final : public FileSystem {
public:
    ReadResult ReadAll(const std::string& path, std::string* bytes) override {
        bytes->clear();
        const OwnedHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.Valid()) {
            const DWORD error = GetLastError();
            return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
                       ? ReadResult::kMissing
                       : ReadResult::kFailed;
        }
        return ReadOpenFile(file.Get(), bytes);
    }

    std::optional<Handle> CreateNew(const std::string& path, const std::string&) override {
        // CREATE_NEW fails on anything already at the path, a link included; the new file takes
        // the directory's inherited access rights, as the file it replaces did.
        const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            return std::nullopt;
        }
        return reinterpret_cast<Handle>(file);
    }

    bool Write(Handle file, std::string_view bytes) override {
        while (!bytes.empty()) {
            const auto chunk = static_cast<DWORD>(std::min(bytes.size(), kLargestTransfer));
            DWORD written = 0;
            if (!WriteFile(NativeHandle(file), bytes.data(), chunk, &written, nullptr) ||
                written == 0) {
                return false;
            }
            bytes.remove_prefix(written);
        }
        return true;
    }

    bool Flush(Handle file) override { return FlushFileBuffers(NativeHandle(file)) != 0; }

    bool Close(Handle file) override { return CloseHandle(NativeHandle(file)) != 0; }

    bool Replace(const std::string& from, const std::string& to) override {
        return MoveFileExA(from.c_str(), to.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    }

    bool Remove(const std::string& path) override { return DeleteFileA(path.c_str()) != 0; }

private:
    static ReadResult ReadOpenFile(HANDLE file, std::string* bytes) {
        LARGE_INTEGER size{};
        if (GetFileType(file) != FILE_TYPE_DISK || !GetFileSizeEx(file, &size)) {
            return ReadResult::kFailed;
        }
        // The size is a hint: the file may change while it is read.
        bytes->resize(static_cast<std::size_t>(size.QuadPart) + 1);
        std::size_t filled = 0;
        for (;;) {
            if (filled == bytes->size()) {
                bytes->resize(bytes->size() * 2);
            }
            const auto chunk =
                static_cast<DWORD>(std::min(bytes->size() - filled, kLargestTransfer));
            DWORD got = 0;
            if (!ReadFile(file, bytes->data() + filled, chunk, &got, nullptr)) {
                bytes->clear();
                return ReadResult::kFailed;
            }
            if (got == 0) {
                break;
            }
            filled += got;
        }
        bytes->resize(filled);
        return ReadResult::kRead;
    }
};

}  // namespace

FileSystem& NativeFileSystem() {
    static Win32FileSystem fileSystem;
    return fileSystem;
}

std::uint32_t CurrentProcessId() {
    return GetCurrentProcessId();
}

}  // namespace wobbet
