// Any bytes read as the knowledge file after the built-in records give tables whose every reply
// has its group, and the same tables when read in pieces; those tables write whole, read back
// into the same tables and write again byte for byte.
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
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const wobbet::ReadOutcome outcome = wobbet::ReadKnowledge(bytes, loaded);
    Require(loaded.GroupCount() == loaded.ResponseCount(),
            "every loaded reply has its group, and every group its reply");
    // Read again in pieces of a size the input chooses, as a large file is read.
    wobbet::KnowledgeBase inPieces;
    inPieces.LoadSeedTables();
    wobbet::KnowledgeReader reader(inPieces);
    const std::size_t pieceSize = size == 0 ? 1 : 1 + data[0] % 97;
    for (std::size_t at = 0; at < size; at += pieceSize) {
        reader.Read(bytes.substr(at, pieceSize));
    }
    Require(reader.Finish() == outcome &&
                wobbet::testing::Learned(inPieces, 0, 0) == wobbet::testing::Learned(loaded, 0, 0),
            "reading in pieces gives what reading whole gives");
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
