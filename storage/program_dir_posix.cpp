#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "storage/program_dir.h"

namespace wobbet {
namespace {

// Only the install step puts this file in place, relative to the installed programs.
constexpr char kInstallMarker[] = WOBBET_INSTALL_MARKER_FROM_PROGRAM_DIR;

bool IsInstalledCopy(const std::string& programDir) {
    struct stat status {};
    return !programDir.empty() && stat((programDir + "/" + kInstallMarker).c_str(), &status) == 0 &&
           S_ISREG(status.st_mode);
}

// $XDG_DATA_HOME, or ~/.local/share when it is unset or not an absolute path; empty when the
// user has no home to be found.
std::string UserDataDir() {
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome != nullptr && dataHome[0] == '/') {
        return dataHome;
    }
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] != '/') {
        const passwd* user = getpwuid(getuid());
        home = user != nullptr ? user->pw_dir : nullptr;
    }
    return home != nullptr && home[0] == '/' ? std::string(home) + "/.local/share" : std::string();
}

}  // namespace

std::string GetProgramDir() {
    // The link's length is unknown beforehand: grow the buffer until the path fits.
    std::string path(256, '\0');
    for (;;) {
        const ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
        if (length < 0) {
            return {};
        }
        if (static_cast<std::size_t>(length) < path.size()) {
            path.resize(static_cast<std::size_t>(length));
            break;
        }
        path.resize(path.size() * 2);
    }
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string DefaultKnowledgePath() {
    const std::string programDir = GetProgramDir();
    if (IsInstalledCopy(programDir)) {
        const std::string dataDir = UserDataDir();
        if (!dataDir.empty()) {
            return dataDir + "/wobbet/Wobbet.dat";
        }
    }
    return programDir + "/Wobbet.dat";
}

}  // namespace wobbet
