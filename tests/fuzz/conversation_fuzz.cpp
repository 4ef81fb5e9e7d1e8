// A Say displays exactly one answer, the mood stays within 0 to 2, and everything learned, line
// breaks in the texts made spaces, comes back whole from the file's bytes. Each input line is a
// turn: "T<phrase><TAB><reply>" teaches, "X" cancels a Teach, "C" toggles Context, "R<n>" seeds the
// generator, anything else is said. A CR in a text is a line break. Every input runs under each
// program's text rules.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "engine/conversation_engine.h"
#include "engine/normalization.h"
#include "storage/knowledge_format.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/support/knowledge_records.h"
#include "tests/support/recording_host.h"
#ifdef WOBBET_UNICODE_TEXT
#include "app/unicode_text/unicode_text_rules.h"
#endif

namespace {

void Converse(std::string_view input, const wobbet::TextRules& rules) {
    using wobbet::fuzzing::Require;
    using wobbet::testing::Learned;
    wobbet::testing::RecordingHost host;
    wobbet::CrtRandom random;
    wobbet::ConversationEngine engine(host, random, rules);
    wobbet::KnowledgeBase& knowledge = engine.Knowledge();
    knowledge.LoadSeedTables();
    while (!input.empty()) {
        const std::string_view line = input.substr(0, input.find('\n'));
        input.remove_prefix(std::min(input.size(), line.size() + 1));
        const std::size_t tab = line.find('\t');
        host.calls.clear();
        if (line.starts_with('T') || line == "X") {
            host.teachDialogs.push_back(
                {line == "X" ? wobbet::TeachDialogResult::kCancel : wobbet::TeachDialogResult::kOk,
                 std::string(line.substr(1, tab - 1)),
                 std::string(tab == line.npos ? "" : line.substr(tab + 1))});
            engine.OnTeach();
        } else if (line == "C") {
            host.context = !host.context;
        } else if (line.starts_with('R') && line.size() < 7) {
            random.Seed(static_cast<std::uint32_t>(std::atoi(std::string(line.substr(1)).c_str())));
        } else {
            host.inputs.emplace_back(line);
            engine.OnSay();
            std::size_t displays = 0;
            for (const std::string& call : host.calls) {
                Require(!call.starts_with("ShowMessage"), "a Say shows no message box");
                displays += call.starts_with("Display ") ? 1u : 0u;
            }
            Require(displays == 1, "a Say displays exactly one answer");
        }
        Require(engine.Mood() >= 0 && engine.Mood() <= 2, "the mood stays within 0 to 2");
    }
    for (std::size_t record = 0; record < knowledge.ResponseCount(); ++record) {
        Require(knowledge.Response(record).find_first_of("\r\n") == std::string_view::npos,
                "replies hold no line break");
    }
    std::string bytes;
    wobbet::KnowledgeBase reloaded;
    reloaded.LoadSeedTables();
    Require(wobbet::WriteKnowledge(knowledge, &bytes) == wobbet::WriteOutcome::kComplete &&
                wobbet::ReadKnowledge(bytes, reloaded) == wobbet::ReadOutcome::kComplete &&
                Learned(reloaded, 0, 0) == Learned(knowledge, 0, 0),
            "learned records are written whole and read back into the same tables");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    Converse(input, wobbet::ByteTextRules());
#ifdef WOBBET_UNICODE_TEXT
    Converse(input, wobbet::UnicodeTextRules());
#endif
    return 0;
}
