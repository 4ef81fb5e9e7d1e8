// Times writing, saving and loading knowledge files of generated records, and the peak memory of
// a process doing it. Each measurement runs in a child process of its own, so that the peak is
// that of the measured work alone. Prints figures; asserts nothing.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <string_view>

#include "bench/bench_support.h"
#include "engine/conversation_host.h"
#include "engine/knowledge_base.h"
#include "storage/knowledge_file.h"
#include "storage/knowledge_format.h"

namespace wobbet {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Records shaped like learned ones: a reply of a few words, two to four keywords and, for half
// of them, a context section of one or two words; about 50 bytes each on disk.
void AddGeneratedRecords(KnowledgeBase& knowledge, std::size_t count) {
    std::mt19937 random(20240601u);
    const auto word = [&random](bool upper, std::size_t minimum, std::size_t maximum) {
        const std::size_t length = minimum + random() % (maximum - minimum + 1);
        std::string text;
        for (std::size_t i = 0; i < length; ++i) {
            text += static_cast<char>((upper ? 'A' : 'a') + random() % 26);
        }
        return text;
    };
    for (std::size_t record = 0; record < count; ++record) {
        std::string reply = word(false, 3, 7);
        reply[0] = static_cast<char>(reply[0] - 'a' + 'A');
        for (std::size_t i = random() % 3; i < 3; ++i) {
            reply += " " + word(false, 2, 6);
        }
        knowledge.AppendResponse(reply + ".");
        for (std::size_t i = 0, n = 2 + random() % 3; i < n; ++i) {
            knowledge.AppendKeyword(word(true, 3, 7));
        }
        if (random() % 2 == 0) {
            knowledge.AppendKeyword(KnowledgeBase::kContextMarker);
            for (std::size_t i = 0, n = 1 + random() % 2; i < n; ++i) {
                knowledge.AppendKeyword(word(true, 3, 7));
            }
        }
        knowledge.AppendKeyword(KnowledgeBase::kTerminator);
    }
}

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double PeakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// Runs the work in a child process and prints what it reports.
void InChild(const std::function<void()>& work) {
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
        work();
        std::fflush(stdout);
        _exit(0);
    }
    waitpid(child, nullptr, 0);
}

void Measure(std::size_t records, const fs::path& directory) {
    const std::string path = (directory / ("Wobbet-" + std::to_string(records) + ".dat")).string();
    std::printf("%9zu records", records);

    InChild([&] {
        KnowledgeBase knowledge;
        knowledge.LoadSeedTables();
        AddGeneratedRecords(knowledge, records);
        // The pieces a save writes, dropped here, so that this times the tables to bytes alone.
        std::size_t written = 0;
        auto start = Clock::now();
        WriteKnowledge(knowledge, [&written](std::string_view piece) {
            written += piece.size();
            return true;
        });
        const double format = MillisecondsSince(start);

        bench::SilentHost host;
        KnowledgeFile file(path);
        start = Clock::now();
        file.SaveKnowledge(knowledge, host);
        const double save = MillisecondsSince(start);
        if (written != fs::file_size(path)) {
            std::printf("  the pieces and the file differ in size\n");
        }
        std::printf("  %7.1f MB | write %7.1f ms, save %7.1f ms, peak %7.1f MB",
                    static_cast<double>(fs::file_size(path)) / 1e6, format, save, PeakMegabytes());
    });
    InChild([&] {
        bench::SilentHost host;
        KnowledgeBase knowledge;
        knowledge.LoadSeedTables();
        KnowledgeFile file(path);
        const auto start = Clock::now();
        file.LoadKnowledge(knowledge, host);
        const double load = MillisecondsSince(start);
        std::printf(" | load %7.1f ms, peak %7.1f MB", load, PeakMegabytes());
    });
    InChild([&] {
        std::string bytes;
        bench::SilentHost host;
        NativeFileSystem().ReadAll(path, &bytes);
        KnowledgeBase knowledge;
        knowledge.LoadSeedTables();
        const auto start = Clock::now();
        ReadKnowledge(bytes, knowledge);
        std::printf(" (parse alone %7.1f ms)\n", MillisecondsSince(start));
    });
    fs::remove(path);
}

}  // namespace
}  // namespace wobbet

int main() {
    namespace fs = std::filesystem;
    const fs::path directory =
        fs::temp_directory_path() / ("wobbet-bench-" + std::to_string(getpid()));
    fs::create_directory(directory);
    std::printf(
        "Knowledge file: write = tables to bytes, save = bytes to disk and flushed,\n"
        "load = file to tables; peak = the measuring process's resident memory.\n");
    for (const std::size_t records : {10'000u, 100'000u, 1'000'000u}) {
        wobbet::Measure(records, directory);
    }
    fs::remove_all(directory);
    return 0;
}
