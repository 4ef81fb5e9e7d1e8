#pragma once

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

namespace wobbet::testing {

// The process's peak resident memory in MiB, or -1 where the platform does not say. Each test
// case runs in its own process under CTest, so this is that case's peak.
inline long PeakResidentMiB() {
#ifdef __linux__
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::stol(line.substr(6)) / 1024;
        }
    }
#endif
    // Elsewhere there is no such file for this process; under Wine it is one of the host's.
    return -1;
}

// Prints how long a case took and its peak memory; figures are for people, never asserted.
class CaseFigures {
public:
    explicit CaseFigures(std::string name)
        : name_(std::move(name)), start_(std::chrono::steady_clock::now()) {}
    ~CaseFigures() {
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start_;
        std::printf("[figures] %s: %.3f s, peak %ld MiB\n", name_.c_str(), elapsed.count(),
                    PeakResidentMiB());
    }
    CaseFigures(const CaseFigures&) = delete;
    CaseFigures& operator=(const CaseFigures&) = delete;

private:
    std::string name_;
    std::chrono::steady_clock::time_point start_;
};

}  // namespace wobbet::testing
