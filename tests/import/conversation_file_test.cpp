#include "import/conversation_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <new>
#include <string>

#include "engine/record_merge.h"
#include "tests/support/case_table.h"
#include "tests/support/failing_allocation.h"
#include "tests/support/knowledge_records.h"
#include "tests/support/recording_host.h"
#include "tests/support/scratch_directory.h"
#include "tests/support/scripted_random.h"

namespace wobbet::testing {
namespace {

using namespace std::string_literals;

struct FileCase {
    std::string_view name;
    std::string_view fileName;
    std::string bytes;
    std::string learned;  // as Learned() gives it
    std::size_t alreadyKnown;
};

class ConversationFileTest : public ScratchDirectoryTest {
protected:
    RecordingHost host;
    ScriptedRandom random;
    ConversationEngine engine{host, random};

    void SetUp() override {
        ScratchDirectoryTest::SetUp();
        engine.Knowledge().LoadSeedTables();
    }
    ImportedConversations Read(std::string_view name) {
        return ReadConversationFile((directory / name).string(), engine);
    }
};

class LearnedFromFileTest : public ConversationFileTest,
                            public ::testing::WithParamInterface<FileCase> {};

TEST_P(LearnedFromFileTest, GivesTheRecordsTeachWouldStoreSkippingKnownOnes) {
    WriteBytes(directory / GetParam().fileName, GetParam().bytes);
    const ImportedConversations imported = Read(GetParam().fileName);
    ASSERT_EQ(imported.refusal, "");
    const MergeCounts counts = AppendNewRecords(engine.Knowledge(), imported.records);
    EXPECT_EQ(Learned(engine.Knowledge()), GetParam().learned);
    EXPECT_EQ(counts.alreadyKnown, GetParam().alreadyKnown);
}

INSTANTIATE_TEST_SUITE_P(
    Files, LearnedFromFileTest,
    ::testing::Values(
        // THERE is a stop word, as is all of "the is a"; the sorry pair is a built-in record, the
        // last pair repeats an earlier one; a NUL byte stays in a reply.
        FileCase{"Transcript", "chat.log",
                 "Hello there\r\nhow are you\r\n \t\nthe is a\nfine, thanks\n\n"
                 "shut quiet stop silence stupid dumb idiot\nI'm sorry.\nhow are you\r\n"
                 "fine, thanks\nnul\0 byte\nhello\n\nhow are you\nfine, thanks"s,
                 "How are you;How are you;Fine, thanks;Nul\0 byte;Hello;|HELLO;;SORRY;;HOW;;FINE;"
                 "THANKS;;NUL;BYTE;;"s,
                 2},
        // Scalars are texts as written; line breaks of a reply become spaces; ~ has no word;
        // an empty reply is not stored.
        FileCase{"Corpus", "corpus.yml",
                 "categories: [greetings]\nconversations:\n- - good morning\n  - yes\n"
                 "  - \"42\"\n  - 42\n- - what's new\n  - |\n    not\n    much\n  - >-\n"
                 "    folded\n    text\n  - ~\n  - 'done'\n- [null, '']\n",
                 "Yes;42;42;Not much ;Folded text;~;|GOOD;MORNING;;YES;;42;;WHAT;NEW;;NOTMUCH;;"
                 "FOLDED;TEXT;;",
                 0}),
    kRowName);

struct RefusalCase {
    std::string_view name;
    std::string_view fileName;
    std::string bytes;
    std::string why;  // what follows "Import refused: PATH"
};

class RefusedFileTest : public ConversationFileTest,
                        public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(RefusedFileTest, SaysWhyAndGivesNothing) {
    const std::filesystem::path path = directory / GetParam().fileName;
    if (GetParam().name == "Directory") {
        std::filesystem::create_directory(path);
    } else if (GetParam().name == "Huge") {
        WriteBytes(path, GetParam().bytes);
        std::filesystem::resize_file(path, 17u << 20);
    } else if (GetParam().name != "Missing") {
        WriteBytes(path, GetParam().bytes);
    }
    const ImportedConversations imported = Read(GetParam().fileName);
    EXPECT_EQ(imported.refusal, "Import refused: " + path.string() + GetParam().why);
    EXPECT_EQ(imported.records.ResponseCount(), 0u);
}

std::string AliasBomb() {
    std::string bytes = "line: &line [" + std::string(2000, 'x') + ", " + std::string(2000, 'y') +
                        "]\nconversations: [*line";
    for (int i = 0; i < 2000; ++i) {
        bytes += ", *line";
    }
    return bytes + "]\n";
}

INSTANTIATE_TEST_SUITE_P(
    Files, RefusedFileTest,
    ::testing::Values(
        RefusalCase{"Missing", "missing.txt", "", " could not be read; nothing was learned."},
        RefusalCase{"Directory", "folder.yml", "", " could not be read; nothing was learned."},
        RefusalCase{"Syntax", "a.yml", "conversations: [[a, \"b]]\n",
                    ", line 2: end of sequence flow not found; nothing was learned."},
        RefusalCase{"NoConversations", "a.yaml", "- a\n- b\n",
                    ", line 1: the corpus is not a mapping with a conversations key; nothing was "
                    "learned."},
        RefusalCase{"MappingInAConversation", "a.yml", "conversations:\n- - hi\n  - {a: b}\n",
                    ", line 3: a conversation holds a list or a mapping, not a text; nothing was "
                    "learned."},
        RefusalCase{"DeepNesting", "a.yml",
                    "conversations: " + std::string(5000, '[') + std::string(5000, ']'),
                    ", line 1: lists or mappings nested 500 deep; nothing was learned."},
        RefusalCase{"AliasBomb", "a.yml", AliasBomb(),
                    ", line 1: aliases expand the corpus too far; nothing was learned."},
        RefusalCase{"Huge", "a.yml", "conversations: []\n",
                    " is over 16 MB, too large for a conversation corpus; nothing was learned."}),
    kRowName);

// Whichever allocation fails, appending leaves the tables as they were: so do merges and imports.
TEST_F(ConversationFileTest, RunningOutOfMemoryWhileAppendingLeavesTheTablesAsTheyWere) {
    KnowledgeBase records;
    for (int i = 0; i < 300; ++i) {
        engine.AppendTaughtRecord(records, "phrase " + std::to_string(i), "reply");
    }
    const std::string before = Learned(engine.Knowledge());
    for (long failing = 0;; ++failing) {
        FailAllocationAfter(failing);
        try {
            const MergeCounts counts = AppendNewRecords(engine.Knowledge(), records);
            FailAllocationAfter(-1);
            EXPECT_EQ(counts.added, 300u);
            ASSERT_GT(failing, 5);
            break;
        } catch (const std::bad_alloc&) {
            FailAllocationAfter(-1);
            ASSERT_EQ(Learned(engine.Knowledge()), before) << "allocation " << failing;
        }
    }
    EXPECT_EQ(engine.Knowledge().RecordCount(), kSeedResponseCount + 300);
}

}  // namespace
}  // namespace wobbet::testing
