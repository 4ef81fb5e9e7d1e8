// Prints how long curating what was learned takes with a large knowledge base: the Knowledge
// list, its filter, deleting, editing, merging, forgetting, and the autosave's snapshot and
// background save.
//
//   curation_bench                  1M learned records
//   curation_bench --records N      N learned records

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "app/unicode_text/unicode_text_rules.h"
#include "bench/bench_support.h"
#include "bench/generated_knowledge.h"
#include "engine/conversation_engine.h"
#include "engine/learned_records.h"
#include "storage/file_system.h"
#include "storage/knowledge_file.h"
#include "storage/knowledge_format.h"
#include "storage/knowledge_merge.h"

namespace wobbet::bench {
namespace {

constexpr std::size_t kListPage = 50;
constexpr std::size_t kMergedRecords = 100000;

using Clock = std::chrono::steady_clock;

template <typename Run>
double Milliseconds(Run run) {
    const Clock::time_point start = Clock::now();
    run();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void Print(const char* what, double milliseconds, const std::string& note = {}) {
    std::printf("%-44s %10.3f ms  %s\n", what, milliseconds, note.c_str());
}

void Run(std::size_t records) {
    SilentHost host;
    CrtRandom random;
    random.Seed(12345);
    const UnicodeTextRules rules;
    ConversationEngine engine(host, random, rules);
    KnowledgeBase& knowledge = engine.Knowledge();
    KnowledgeGenerator generator(20240601);
    knowledge.LoadSeedTables();
    generator.AppendRecords(&knowledge, records);
    const std::string phrase =
        generator.WordOfRank(0) + " " + generator.WordOfRank(99) + " " + generator.WordOfRank(9999);
    SayTurn(engine, phrase);
    std::printf("%zu learned records, %.0f MiB resident\n", records, StatusMiB("VmRSS:"));
    Print("say (known words)", Milliseconds([&] { SayTurn(engine, phrase); }));

    std::size_t shown = 0;
    Print("open the list: count and first page", Milliseconds([&] {
              const std::size_t count = LearnedRecordCount(knowledge);
              for (std::size_t row = 0; row < kListPage && row < count; ++row) {
                  const RecordText text =
                      DescribeRecord(knowledge, LearnedRecordAtRow(knowledge, row));
                  shown += text.reply.size() + text.keywords.size();
              }
          }));
    for (const std::string& word : {generator.WordOfRank(0), generator.WordOfRank(20000)}) {
        std::size_t matched = 0;
        const double time = Milliseconds(
            [&] { matched = FilterLearnedRecords(knowledge, "  " + word + " ", rules).size(); });
        Print(("filter \"" + word + "\"").c_str(), time, std::to_string(matched) + " matched");
    }

    const std::size_t middle = kSeedResponseCount + records / 2;
    Print("delete one record",
          Milliseconds([&] { knowledge.RemoveRecords(std::span(&middle, 1)); }));
    Print("  first say after", Milliseconds([&] { SayTurn(engine, phrase); }));
    std::vector<std::size_t> selected;
    for (std::size_t i = 0; i < 1000; ++i) {
        selected.push_back(kSeedResponseCount + (i * 7919 * 131) % (records - 1000));
    }
    Print("delete 1,000 selected records",
          Milliseconds([&] { knowledge.RemoveRecords(selected); }));
    Print("  first say after", Milliseconds([&] { SayTurn(engine, phrase); }));
    Print("edit a reply", Milliseconds([&] {
              knowledge.ReplaceReply(middle, "An edited reply, longer than before.");
          }));
    Print("edit a record's keywords", Milliseconds([&] {
              knowledge.ReplaceKeywords(middle, "edited words here", "and context", rules);
          }));
    Print("  first say after", Milliseconds([&] { SayTurn(engine, phrase); }));

    engine.Learn("A lesson to forget.");
    Print("forget the last lesson", Milliseconds([&] { engine.ForgetLastLesson(); }));
    Print("  first say after", Milliseconds([&] { SayTurn(engine, phrase); }));

    const std::filesystem::path directory =
        std::filesystem::temp_directory_path() /
        ("wobbet-curation-bench-" + std::to_string(CurrentProcessId()));
    std::filesystem::create_directories(directory);
    {
        KnowledgeBase other;
        other.LoadSeedTables();
        KnowledgeGenerator otherGenerator(7);
        otherGenerator.AppendRecords(&other, kMergedRecords);
        std::string bytes;
        WriteKnowledge(other, &bytes);
        std::ofstream((directory / "Other.dat").string(), std::ios::binary) << bytes;
    }
    MergeResult merged;
    const double mergeTime = Milliseconds(
        [&] { merged = MergeKnowledgeFile((directory / "Other.dat").string(), knowledge); });
    Print("merge a 100k-record file", mergeTime, MergeNotice(merged, "Other.dat"));
    Print("  first say after", Milliseconds([&] { SayTurn(engine, phrase); }));

    // The autosave: a snapshot on this thread, the save on another. Peak memory is counted from
    // just before the snapshot (the kernel's peak is reset where it allows).
    KnowledgeFile file((directory / "Wobbet.dat").string());
    std::ofstream("/proc/self/clear_refs") << "5";
    const double residentBefore = StatusMiB("VmRSS:");
    std::unique_ptr<KnowledgeBase> snapshot;
    Print("autosave snapshot (copy of the tables)",
          Milliseconds([&] { snapshot = std::make_unique<KnowledgeBase>(knowledge); }));
    engine.Learn("One more lesson.");
    Print("  again, over the previous snapshot", Milliseconds([&] { *snapshot = knowledge; }));
    std::string message;
    const double saveTime = Milliseconds([&] {
        std::thread saver([&] { message = file.Save(*snapshot); });
        saver.join();
    });
    snapshot.reset();
    char note[96];
    std::snprintf(note, sizeof note, "peak %.0f MiB above the %.0f MiB before%s",
                  StatusMiB("VmHWM:") - residentBefore, residentBefore,
                  message.empty() ? "" : ", failed");
    Print("background save of the snapshot", saveTime, note);
    std::error_code ignored;
    std::filesystem::remove_all(directory, ignored);
}

}  // namespace
}  // namespace wobbet::bench

int main(int argc, char** argv) {
    const std::optional<std::size_t> records = wobbet::bench::RecordCount(argc, argv);
    if (!records) {
        return 2;
    }
    if (*records < 2000) {
        std::fprintf(stderr, "at least 2000 records\n");
        return 2;
    }
    wobbet::bench::Run(*records);
    return 0;
}
