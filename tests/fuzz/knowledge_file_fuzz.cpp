// Any bytes read as the knowledge file after the built-in records give tables whose every reply
// has its group; those tables write as a well-formed file that reads back into the same tables
// and writes again byte for byte, and a file that was well-formed already is written unchanged.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "storage/knowledge_format.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/support/knowledge_records.h"

namespace {

using wobbet::KnowledgeBase;
using wobbet::fuzzing::Require;

// The number of records when every record is a non-empty reply line, its non-empty keyword lines
// and one empty line, each line ended by CR LF.
std::optional<std::size_t> WellFormedRecords(std::string_view file) {
    std::size_t records = 0;
    bool expectingReply = true;
    for (std::size_t end = file.find("\r\n"); !file.empty(); end = file.find("\r\n")) {
        const std::string_view line = file.substr(0, end);
        if (end == std::string_view::npos || line.find('\n') != std::string_view::npos ||
            (expectingReply && line.empty())) {
            return std::nullopt;
        }
        records += !expectingReply && line.empty() ? 1u : 0u;
        expectingReply = line.empty();
        file.remove_prefix(end + 2);
    }
    return expectingReply ? std::optional(records) : std::nullopt;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view original(reinterpret_cast<const char*>(data), size);
    KnowledgeBase loaded;
    loaded.LoadSeedTables();
    const wobbet::ReadOutcome outcome = wobbet::ReadKnowledge(original, loaded);
    Require(loaded.GroupCount() == loaded.ResponseCount(),
            "every loaded reply has its group, and every group its reply");

    std::string written;
    Require(wobbet::WriteKnowledge(loaded, &written) == wobbet::WriteOutcome::kComplete,
            "loaded tables are always written whole");
    Require(WellFormedRecords(written) == loaded.ResponseCount() - wobbet::kSeedResponseCount,
            "one well-formed record per loaded reply");
    if (WellFormedRecords(original)) {
        Require(outcome == wobbet::ReadOutcome::kComplete && written == original,
                "a well-formed file is read whole and written unchanged");
    }
    KnowledgeBase reloaded;
    reloaded.LoadSeedTables();
    Require(wobbet::ReadKnowledge(written, reloaded) == wobbet::ReadOutcome::kComplete,
            "a written file reads back without a stop");
    Require(wobbet::testing::Learned(reloaded, 0, 0) == wobbet::testing::Learned(loaded, 0, 0),
            "saving then loading gives the same tables");
    std::string rewritten;
    wobbet::WriteKnowledge(reloaded, &rewritten);
    Require(rewritten == written, "writing again gives the same bytes");
    return 0;
}
