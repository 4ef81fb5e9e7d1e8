#include <windows.h>

#include "storage/program_dir.h"

namespace wobbet {
namespace {

// Far beyond the longest path Windows accepts.
constexpr std::size_t kLongestPath = 1u << 16;

}  // namespace

std::string GetProgramDir() {
    // A program deeper than MAX_PATH would have its path cut short: grow the buffer until it fits.
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return {};
        }
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        if (path.size() >= kLongestPath) {
            return {};
        }
        path.resize(path.size() * 2);
    }
    const std::size_t backslash = path.rfind('\\');
    return backslash == std::string::npos ? std::string() : path.substr(0, backslash);
}

std::string DefaultKnowledgePath() {
    return GetProgramDir() + "\\Wobbet.dat";
}

}  // namespace wobbet
