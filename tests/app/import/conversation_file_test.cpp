#include "app/import/conversation_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <new>
#include <string>

#include "app/unicode_text/unicode_text_rules.h"
#include "engine/record_merge.h"
#include "tests/support/case_table.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/knowledge_records.h"
#include "tests/support/recording_host.h"
#include "tests/support/scratch_directory.h"
#include "tests/support/scripted_random.h"

extern long allocationsBeforeFailure;  // tests/support/failing_allocation.cpp

namespace wobbet::testing {
namespace {

using namespace std::string_literals;

struct ImportCase {
    std::string_view name;
    std::string_view
        file;  // folder.yml is made a folder, huge.yml 17 MB long, missing.txt left out
    std::string bytes;
    // The records learned and how many were known, or the refusal with PATH for the path.
    std::string outcome;
};

// A conversation over the built-in records, beside a directory for the files.
class ImportTest : public ScratchDirectoryTest {
protected:
    RecordingHost host;
    ScriptedRandom random;
    UnicodeTextRules rules;
    ConversationEngine engine{host, random, rules};

    void SetUp() override {
        ScratchDirectoryTest::SetUp();
        engine.Knowledge().LoadSeedTables();
    }
};

class ConversationFileTest : public ImportTest, public ::testing::WithParamInterface<ImportCase> {};

// The real files handed out a byte at a time, so that lines and line ends span pieces.
class BytewiseFileSystem : public FaultyFileSystem {
public:
    ReadResult ReadInPieces(const std::string& path,
                            const std::function<bool(std::string_view)>& piece) override {
        return NativeFileSystem().ReadInPieces(path, [&](std::string_view bytes) {
            return std::ranges::all_of(bytes, [&](const char& byte) { return piece({&byte, 1}); });
        });
    }
};

TEST_P(ConversationFileTest, LearnsWhatTeachWouldStoreOrRefusesTheWholeFile) {
    const std::string path = (directory / GetParam().file).string();
    if (GetParam().file == "folder.yml") {
        std::filesystem::create_directory(path);
    } else {
        WriteBytes(path, GetParam().bytes);
    }
    if (GetParam().file == "huge.yml") {
        std::filesystem::resize_file(path, 17u << 20);
    }
    BytewiseFileSystem bytewise;
    const ImportedConversations imported = ReadConversationFile(path, engine, bytewise);
    const MergeCounts counts = AppendNewRecords(engine.Knowledge(), imported.records);
    std::string outcome = Learned(engine.Knowledge()) + " " + std::to_string(counts.alreadyKnown);
    if (!imported.refusal.empty()) {
        outcome = imported.refusal;
        outcome.replace(outcome.find(path), path.size(), "PATH");
    }
    EXPECT_EQ(outcome, GetParam().outcome);
}

// Each alias names 4 KB of text.
std::string AliasBomb() {
    std::string bytes = "line: &line [" + std::string(4000, 'x') + ", y]\nconversations: [*line";
    for (int i = 0; i < 2000; ++i) {
        bytes += ", *line";
    }
    return bytes + "]\n";
}

INSTANTIATE_TEST_SUITE_P(
    Files, ConversationFileTest,
    ::testing::Values(
        // THERE is a stop word, as is all of "the is a"; the sorry pair is a built-in record, the
        // last pair repeats an earlier one; a NUL byte stays in a reply.
        ImportCase{"Transcript", "chat.log",
                   "Hello there\r\nhow are you\r\n \t\nthe is a\nfine, thanks\n\n"
                   "shut quiet stop silence stupid dumb idiot\nI'm sorry.\nhow are you\r\n"
                   "fine, thanks\nnul\0 byte\nhello\n\nhow are you\nfine, thanks"s,
                   "How are you;How are you;Fine, thanks;Nul\0 byte;Hello;|HELLO;;SORRY;;HOW;;"
                   "FINE;THANKS;;NUL;BYTE;; 2"s},
        // Scalars are texts as written; line breaks of a reply become spaces; ~ has no word;
        // an empty reply is not stored.
        ImportCase{"Corpus", "corpus.yml",
                   "categories: [greetings]\nconversations:\n- - good morning\n  - yes\n"
                   "  - \"42\"\n  - 42\n- - what's new\n  - |\n    not\n    much\n  - >-\n"
                   "    folded\n    text\n  - ~\n  - 'done'\n- [null, '']\n",
                   "Yes;42;42;Not much ;Folded text;~;|GOOD;MORNING;;YES;;42;;WHAT;NEW;;NOTMUCH;;"
                   "FOLDED;TEXT;; 0"},
        ImportCase{"Folder", "folder.yml", "",
                   "Import refused: PATH could not be read; nothing was learned."},
        ImportCase{"Syntax", "a.yml", "conversations: [[a, \"b]]\n",
                   "Import refused: PATH, line 2: end of sequence flow not found; nothing was "
                   "learned."},
        ImportCase{"NoConversations", "a.yaml", "- a\n- b\n",
                   "Import refused: PATH, line 1: the corpus is not a mapping with a "
                   "conversations key; nothing was learned."},
        ImportCase{"MappingInAConversation", "a.yml", "conversations:\n- - hi\n  - {a: b}\n",
                   "Import refused: PATH, line 3: a conversation holds a list or a mapping, not "
                   "a text; nothing was learned."},
        ImportCase{"DeepNesting", "a.yml",
                   "conversations: " + std::string(5000, '[') + std::string(5000, ']'),
                   "Import refused: PATH, line 1: lists or mappings nested 500 deep; nothing was "
                   "learned."},
        ImportCase{"AliasBomb", "a.yml", AliasBomb(),
                   "Import refused: PATH, line 1: aliases expand the corpus too far; nothing was "
                   "learned."},
        ImportCase{"Huge", "huge.yml", "conversations: []\n",
                   "Import refused: PATH is over 16 MB, too large for a conversation corpus; "
                   "nothing was learned."}),
    kRowName);

// Whichever allocation fails, appending leaves the tables as they were: so do merges and imports.
TEST_F(ImportTest, RunningOutOfMemoryPartWayLeavesTheTablesAsTheyWere) {
    KnowledgeBase records;
    for (int i = 0; i < 300; ++i) {
        engine.AppendTaughtRecord(records, "phrase " + std::to_string(i), "reply");
    }
    for (long failing = 0; engine.Knowledge().RecordCount() == kSeedResponseCount; ++failing) {
        allocationsBeforeFailure = failing;
        try {
            AppendNewRecords(engine.Knowledge(), records);
        } catch (const std::bad_alloc&) {
            ASSERT_EQ(Learned(engine.Knowledge()), "|") << "allocation " << failing;
        }
        allocationsBeforeFailure = -1;
    }
    EXPECT_EQ(engine.Knowledge().RecordCount(), kSeedResponseCount + 300);
}

}  // namespace
}  // namespace wobbet::testing
