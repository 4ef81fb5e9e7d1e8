#include <unistd.h>

#include "storage/program_dir.h"

namespace wobbet {

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
    return GetProgramDir() + "/Wobbet.dat";
}

}  // namespace wobbet
