// Prints how long importing a transcript of a million lines takes, and how much memory it needs
// beyond what the tables held, with a large knowledge base already held.
//
//   import_bench                  1M records held
//   import_bench --records N      N records held

#include <malloc.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>

#include "app/import/conversation_file.h"
#include "app/unicode_text/unicode_text_rules.h"
#include "bench/bench_support.h"
#include "bench/generated_knowledge.h"
#include "engine/conversation_engine.h"
#include "engine/record_merge.h"

namespace wobbet::bench {
namespace {

// Conversations of three utterances, each followed by a blank line: two pairs every four lines.
constexpr std::size_t kTranscriptLines = 1000000;

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string WriteTranscript(KnowledgeGenerator& generator) {
    const std::string path =
        (std::filesystem::temp_directory_path() / "wobbet-import-bench.txt").string();
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (std::size_t line = 0; line < kTranscriptLines; line += 4) {
        out << generator.Phrase(4) << '\n'
            << generator.Reply() << '\n'
            << generator.Reply() << "\n\n";
    }
    return path;
}

int Run(std::size_t records) {
    KnowledgeGenerator generator(7);
    const std::string path = WriteTranscript(generator);
    std::printf("transcript: %zu lines, %.1f MiB\n", kTranscriptLines,
                static_cast<double>(std::filesystem::file_size(path)) / (1 << 20));

    SilentHost host;
    CrtRandom random;
    const UnicodeTextRules rules;
    ConversationEngine engine(host, random, rules);
    engine.Knowledge().LoadSeedTables();
    generator.AppendRecords(&engine.Knowledge(), records);
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";
    const double residentBefore = StatusMiB("VmRSS:");
    std::printf("%zu records held, %.0f MiB resident\n", engine.Knowledge().RecordCount(),
                residentBefore);

    const Clock::time_point start = Clock::now();
    auto imported = std::make_unique<ImportedConversations>(ReadConversationFile(path, engine));
    const double readSeconds = SecondsSince(start);
    const double readPeak = StatusMiB("VmHWM:") - residentBefore;
    const double gathered = StatusMiB("VmRSS:") - residentBefore;
    const Clock::time_point appendStart = Clock::now();
    const MergeCounts counts = AppendNewRecords(engine.Knowledge(), imported->records);
    const double appendSeconds = SecondsSince(appendStart);
    const double total = SecondsSince(start);
    const double peak = StatusMiB("VmHWM:") - residentBefore;
    const std::size_t pairs = imported->records.RecordCount();
    const bool refused = !imported->refusal.empty();
    imported.reset();
    malloc_trim(0);
    const double grown = StatusMiB("VmRSS:") - residentBefore;
    std::filesystem::remove(path);

    std::printf("read and gathered %zu pairs     %8.3f s\n", pairs, readSeconds);
    std::printf("appended %zu new, %zu known   %8.3f s\n", counts.added, counts.alreadyKnown,
                appendSeconds);
    std::printf("import in all                  %8.3f s\n", total);
    std::printf("peak above the tables before   %8.0f MiB (%.0f MiB while reading)\n", peak,
                readPeak);
    std::printf("the records gathered held      %8.0f MiB\n", gathered);
    std::printf("the tables grew by             %8.0f MiB\n", grown);
    return refused ? 1 : 0;
}

}  // namespace
}  // namespace wobbet::bench

int main(int argc, char** argv) {
    const std::optional<std::size_t> records = wobbet::bench::RecordCount(argc, argv);
    return records ? wobbet::bench::Run(*records) : 2;
}
