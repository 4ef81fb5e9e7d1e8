// Prints how long a conversation and the knowledge file take as the knowledge base grows. Each size
// runs in a process of its own, so that the memory figure holds only that size's tables.
//
//   conversation_bench                  the table for 10k, 100k and 1M learned records
//   conversation_bench --records N      one row, for N learned records

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/unicode_text/unicode_text_rules.h"
#include "bench/bench_support.h"
#include "bench/generated_knowledge.h"
#include "engine/conversation_engine.h"
#include "storage/file_system.h"
#include "storage/knowledge_file.h"

namespace wobbet::bench {
namespace {

constexpr std::uint64_t kGeneratorSeed = 20240601;
constexpr std::uint32_t kConversationSeed = 12345;

using Clock = std::chrono::steady_clock;

// Resident memory of this process in bytes, or 0 where the system does not tell.
std::size_t ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    std::size_t totalPages = 0;
    std::size_t residentPages = 0;
    if (!(statm >> totalPages >> residentPages)) {
        return 0;
    }
    constexpr std::size_t kPageSize = 4096;
    return residentPages * kPageSize;
}

double Microseconds(Clock::duration duration) {
    return std::chrono::duration<double, std::micro>(duration).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Median time of one run in microseconds: at least minRuns runs, more while the budget lasts.
double MedianMicroseconds(const std::function<void()>& run, int minRuns, int maxRuns,
                          std::chrono::milliseconds budget) {
    std::vector<double> times;
    const Clock::time_point deadline = Clock::now() + budget;
    while (static_cast<int>(times.size()) < maxRuns &&
           (static_cast<int>(times.size()) < minRuns || Clock::now() < deadline)) {
        const Clock::time_point start = Clock::now();
        run();
        times.push_back(Microseconds(Clock::now() - start));
    }
    return Median(std::move(times));
}

// A directory of this process's own for the knowledge file, removed with everything in it.
class ScratchDirectory {
public:
    ScratchDirectory()
        : path_(std::filesystem::temp_directory_path() /
                ("wobbet-bench-" + std::to_string(CurrentProcessId()))) {
        std::filesystem::create_directories(path_);
    }
    ~ScratchDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// Median times in microseconds of saving the knowledge base, of loading it back into fresh
// tables, and of the first Say turn after loading.
struct FileTimes {
    double save = 0.0;
    double load = 0.0;
    double firstSay = 0.0;
};

FileTimes TimeKnowledgeFile(const KnowledgeBase& knowledge, const std::string& phrase) {
    SilentHost host;
    ScratchDirectory directory;
    KnowledgeFile file(directory.File("Wobbet.dat"));
    FileTimes times;
    times.save = MedianMicroseconds([&] { file.SaveKnowledge(knowledge, host); }, 3, 3,
                                    std::chrono::milliseconds(0));
    std::vector<double> loads;
    std::vector<double> firstSays;
    for (int run = 0; run < 3; ++run) {
        CrtRandom random;
        const UnicodeTextRules rules;
        ConversationEngine loaded(host, random, rules);
        loaded.Knowledge().LoadSeedTables();
        const Clock::time_point loadStart = Clock::now();
        file.LoadKnowledge(loaded.Knowledge(), host);
        const Clock::time_point sayStart = Clock::now();
        SayTurn(loaded, phrase);
        const Clock::time_point sayEnd = Clock::now();
        if (loaded.Knowledge().ResponseCount() != knowledge.ResponseCount()) {
            std::fprintf(stderr, "the knowledge file did not load whole\n");
            std::exit(1);
        }
        loads.push_back(Microseconds(sayStart - loadStart));
        firstSays.push_back(Microseconds(sayEnd - sayStart));
    }
    times.load = Median(loads);
    times.firstSay = Median(firstSays);
    return times;
}

void PrintHeader() {
    std::printf("%10s %10s %12s %12s %10s %10s %10s %12s\n", "records", "say known", "say unknown",
                "first say", "learn", "load", "save", "memory");
    std::printf("%10s %10s %12s %12s %10s %10s %10s %12s\n", "", "(ms)", "(ms)", "(ms)", "(us)",
                "(ms)", "(ms)", "(MB)");
}

void PrintRow(std::size_t records) {
    SilentHost host;
    CrtRandom random;
    random.Seed(kConversationSeed);
    const UnicodeTextRules rules;
    ConversationEngine engine(host, random, rules);
    KnowledgeGenerator generator(kGeneratorSeed);

    // The memory of a conversation in progress: the program's last reply and the phrase before.
    std::string lastResponse = generator.Reply();
    rules.Normalize(&lastResponse, &engine.Memory().LastResponseWords);
    engine.Memory().LastResponse = lastResponse;
    std::string lastInput = generator.Phrase(5);
    std::int32_t unusedWordCount = 0;
    rules.Normalize(&lastInput, &unusedWordCount);
    engine.Memory().LastInput = lastInput;
    // Known words from the most common to the rare; unknown words hold letters no word has.
    const std::string knownPhrase = generator.WordOfRank(0) + " " + generator.WordOfRank(9) + " " +
                                    generator.WordOfRank(99) + " " + generator.WordOfRank(999) +
                                    " " + generator.WordOfRank(9999);
    const std::string unknownPhrase = "xylo yxa quixy xenyx zyx";

    // The tables as a conversation uses them, after its first turn.
    const std::size_t residentBefore = ResidentBytes();
    engine.Knowledge().LoadSeedTables();
    generator.AppendRecords(&engine.Knowledge(), records);
    SayTurn(engine, knownPhrase);
    const std::size_t residentAfter = ResidentBytes();

    const std::chrono::milliseconds sayBudget(3000);
    const double sayKnown =
        MedianMicroseconds([&] { SayTurn(engine, knownPhrase); }, 5, 101, sayBudget);
    const double sayUnknown =
        MedianMicroseconds([&] { SayTurn(engine, unknownPhrase); }, 5, 101, sayBudget);
    const std::string learnedReply = generator.Reply();
    const double learn = MedianMicroseconds([&] { engine.Learn(learnedReply); }, 1001, 1001,
                                            std::chrono::milliseconds(0));
    const FileTimes file = TimeKnowledgeFile(engine.Knowledge(), knownPhrase);

    const double megabyte = 1024.0 * 1024.0;
    char memory[32] = "n/a";
    if (residentAfter > 0) {
        std::snprintf(memory, sizeof memory, "%.1f",
                      static_cast<double>(residentAfter - residentBefore) / megabyte);
    }
    std::printf("%10zu %10.3f %12.3f %12.3f %10.2f %10.1f %10.1f %12s\n", records,
                sayKnown / 1000.0, sayUnknown / 1000.0, file.firstSay / 1000.0, learn,
                file.load / 1000.0, file.save / 1000.0, memory);
}

}  // namespace
}  // namespace wobbet::bench

int main(int argc, char** argv) {
    using wobbet::bench::PrintHeader;
    using wobbet::bench::PrintRow;
    if (argc == 3 && std::string_view(argv[1]) == "--records") {
        PrintRow(static_cast<std::size_t>(std::strtoull(argv[2], nullptr, 10)));
        return 0;
    }
    if (argc != 1) {
        std::fprintf(stderr, "usage: %s [--records N]\n", argv[0]);
        return 2;
    }
    PrintHeader();
    std::fflush(stdout);
    for (const char* records : {"10000", "100000", "1000000"}) {
        const std::string command = std::string("\"") + argv[0] + "\" --records " + records;
        if (std::system(command.c_str()) != 0) {
            std::fprintf(stderr, "the run for %s records failed\n", records);
            return 1;
        }
    }
    return 0;
}
