// Prints how long a conversation takes as the knowledge base grows. Each size runs in a process
// of its own, so that the memory figure holds only that size's tables.
//
//   conversation_bench                  the table for 10k, 100k and 1M learned records
//   conversation_bench --records N      one row, for N learned records

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "bench/generated_knowledge.h"
#include "engine/conversation_engine.h"
#include "engine/normalization.h"

namespace wobbet::bench {
namespace {

constexpr std::uint64_t kGeneratorSeed = 20240601;
constexpr std::uint32_t kConversationSeed = 12345;

// A window that is never shown: Context stays ticked and every request is dropped.
class SilentHost : public ConversationHost {
public:
    std::string ReadInput() override { return {}; }
    void ClearInput() override {}
    bool ContextEnabled() override { return true; }
    void SetContextEnabled(bool) override {}
    void Display(const std::string&) override {}
    void ShowReply(const std::string&) override {}
    void PlayAnimation(const std::string&) override {}
    void PrepareCharacter() override {}
    void ShowMessage(const std::string&) override {}
    TeachDialogResult RunTeachDialog() override { return {}; }
};

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

// Median time of one run in microseconds: at least minRuns runs, more while the budget lasts.
double MedianMicroseconds(const std::function<void()>& run, int minRuns, int maxRuns,
                          std::chrono::milliseconds budget) {
    std::vector<double> times;
    const Clock::time_point deadline = Clock::now() + budget;
    while (static_cast<int>(times.size()) < maxRuns &&
           (static_cast<int>(times.size()) < minRuns || Clock::now() < deadline)) {
        const Clock::time_point start = Clock::now();
        run();
        const std::chrono::duration<double, std::micro> took = Clock::now() - start;
        times.push_back(took.count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void PrintHeader() {
    std::printf("%10s %16s %18s %12s %12s\n", "records", "say known (ms)", "say unknown (ms)",
                "learn (us)", "memory (MB)");
}

void PrintRow(std::size_t records) {
    SilentHost host;
    CrtRandom random;
    random.Seed(kConversationSeed);
    ConversationEngine engine(host, random);
    KnowledgeGenerator generator(kGeneratorSeed);

    const std::size_t residentBefore = ResidentBytes();
    engine.Knowledge().LoadSeedTables();
    generator.AppendRecords(&engine.Knowledge(), records);
    const std::size_t residentAfter = ResidentBytes();

    // The memory of a conversation in progress: the program's last reply and the phrase before.
    std::string lastResponse = generator.Reply();
    Normalize(&lastResponse, &engine.Memory().LastResponseWords);
    engine.Memory().LastResponse = lastResponse;
    std::string lastInput = generator.Phrase(5);
    std::int32_t unusedWordCount = 0;
    Normalize(&lastInput, &unusedWordCount);
    engine.Memory().LastInput = lastInput;

    // Known words from the most common to the rare; unknown words hold letters no word has.
    const std::string knownPhrase = generator.WordOfRank(0) + " " + generator.WordOfRank(9) + " " +
                                    generator.WordOfRank(99) + " " + generator.WordOfRank(999) +
                                    " " + generator.WordOfRank(9999);
    const std::string unknownPhrase = "xylo yxa quixy xenyx zyx";
    auto sayTurn = [&engine](const std::string& text) {
        return [&engine, text] {
            std::string phrase = text;
            std::int32_t wordCount = 0;
            Normalize(&phrase, &wordCount);
            bool learn = false;
            engine.SelectResponse(phrase, wordCount, &learn);
        };
    };
    const std::chrono::milliseconds sayBudget(3000);
    const double sayKnown = MedianMicroseconds(sayTurn(knownPhrase), 5, 101, sayBudget);
    const double sayUnknown = MedianMicroseconds(sayTurn(unknownPhrase), 5, 101, sayBudget);

    const std::string learnedReply = generator.Reply();
    const double learn = MedianMicroseconds([&] { engine.Learn(learnedReply); }, 1001, 1001,
                                            std::chrono::milliseconds(0));

    const double megabyte = 1024.0 * 1024.0;
    char memory[32] = "n/a";
    if (residentAfter > 0) {
        std::snprintf(memory, sizeof memory, "%.1f",
                      static_cast<double>(residentAfter - residentBefore) / megabyte);
    }
    std::printf("%10zu %16.3f %18.3f %12.2f %12s\n", records, sayKnown / 1000.0,
                sayUnknown / 1000.0, learn, memory);
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
