// Any bytes read as the knowledge file after the built-in records give tables whose every reply
// has its group; those tables write whole, read back into the same tables and write again byte
// for byte.
#include <cstdint>
#include <string>

#include "storage/knowledge_format.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/support/knowledge_records.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using wobbet::fuzzing::Require;
    wobbet::KnowledgeBase loaded, reloaded;
    loaded.LoadSeedTables();
    reloaded.LoadSeedTables();
    wobbet::ReadKnowledge(std::string_view(reinterpret_cast<const char*>(data), size), loaded);
    Require(loaded.GroupCount() == loaded.ResponseCount(),
            "every loaded reply has its group, and every group its reply");
    std::string written, rewritten;
    Require(wobbet::WriteKnowledge(loaded, &written) == wobbet::WriteOutcome::kComplete,
            "loaded tables are always written whole");
    Require(wobbet::ReadKnowledge(written, reloaded) == wobbet::ReadOutcome::kComplete,
            "a written file reads back without a stop");
    Require(wobbet::testing::Learned(reloaded, 0, 0) == wobbet::testing::Learned(loaded, 0, 0),
            "saving then loading gives the same tables");
    wobbet::WriteKnowledge(reloaded, &rewritten);
    Require(rewritten == written, "writing again gives the same bytes");
    return 0;
}
