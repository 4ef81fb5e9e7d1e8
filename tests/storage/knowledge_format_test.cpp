#include "storage/knowledge_format.h"

#include <gtest/gtest.h>

#include "tests/support/case_table.h"
#include "tests/support/knowledge_records.h"

namespace wobbet::testing {
namespace {

// The records of the typical first exchange and a second one with an empty group, as learned.
constexpr std::string_view kExampleFile =
    "Fine, thanks\r\nHELLO\r\n!\r\nGOOD\r\nMORNING\r\n\r\nNice weather today.\r\n\r\n";

struct ReadCase {
    const char* name;
    std::string_view bytes;
    ReadOutcome outcome;
    const char* learned;
    std::string_view rewritten;
};

class ReadTest : public ::testing::TestWithParam<ReadCase> {};

// Reads the bytes after the built-in records, writes what was read, and reads that back.
TEST_P(ReadTest, AppendsTheRecordsAndWritesThemBackStably) {
    KnowledgeBase knowledge;
    knowledge.LoadSeedTables();
    EXPECT_EQ(ReadKnowledge(GetParam().bytes, knowledge), GetParam().outcome);
    EXPECT_EQ(Learned(knowledge), GetParam().learned);
    std::string bytes = "left over";
    EXPECT_EQ(WriteKnowledge(knowledge, &bytes), WriteOutcome::kComplete);
    EXPECT_EQ(bytes, GetParam().rewritten);

    KnowledgeBase reread;
    reread.LoadSeedTables();
    EXPECT_EQ(ReadKnowledge(bytes, reread), ReadOutcome::kComplete);
    EXPECT_EQ(Learned(reread, 0, 0), Learned(knowledge, 0, 0));

    // A byte at a time, so that every line, and CR LF itself, spans pieces.
    KnowledgeBase inPieces;
    inPieces.LoadSeedTables();
    KnowledgeReader reader(inPieces);
    for (const char& byte : GetParam().bytes) {
        reader.Read(std::string_view(&byte, 1));
    }
    EXPECT_EQ(reader.Finish(), GetParam().outcome);
    EXPECT_EQ(Learned(inPieces), GetParam().learned);
}

// Lines of every length up to past the 64 bytes that the line search takes at once, read whole
// and a byte at a time, which searches the bytes one by one.
TEST(KnowledgeReaderTest, ReadsLongFilesAsTheirPieces) {
    std::string bytes;
    for (std::size_t length = 1; length < 150; ++length) {
        bytes += std::string(length, 'r') + "\r" + std::string(length % 7, 'x') + "\r\n" +
                 std::string(length % 9 + 1, 'K') + (length % 2 == 0 ? "\n" : "\r\n") + "\r\n";
    }
    KnowledgeBase whole;
    KnowledgeBase inPieces;
    KnowledgeReader reader(inPieces);
    for (const char& byte : bytes) {
        reader.Read(std::string_view(&byte, 1));
    }
    ASSERT_EQ(reader.Finish(), ReadOutcome::kComplete);
    ASSERT_EQ(ReadKnowledge(bytes, whole), ReadOutcome::kComplete);
    EXPECT_EQ(whole.ResponseCount(), 149u);
    EXPECT_EQ(whole.Response(99), std::string(100, 'r') + "\r" + std::string(2, 'x'));
    EXPECT_EQ(whole.Keyword(2 * 99), std::string(2, 'K'));
    EXPECT_EQ(Learned(inPieces, 0, 0), Learned(whole, 0, 0));
}

constexpr const char* kExample = "Fine, thanks;Nice weather today.;|HELLO;!;GOOD;MORNING;;;";

INSTANTIATE_TEST_SUITE_P(
    Files, ReadTest,
    ::testing::Values(
        ReadCase{"Example", kExampleFile, ReadOutcome::kComplete, kExample, kExampleFile},
        ReadCase{"LoneLineFeeds",
                 "Fine, thanks\nHELLO\n!\nGOOD\nMORNING\n\nNice weather today.\r\n\n",
                 ReadOutcome::kComplete, kExample, kExampleFile},
        ReadCase{"LoneCarriageReturnsStayInTheirLine", "one\rtwo\r\nTRAILING\r\r\n\r\nLAST\r",
                 ReadOutcome::kComplete, "one\rtwo;LAST\r;|TRAILING\r;;;",
                 "one\rtwo\r\nTRAILING\r\r\n\r\nLAST\r\r\n\r\n"},
        ReadCase{"EndOfFileByteIsText", "Stop\x1A here\r\n\x1A\r\n\r\nAfter\r\n\r\n",
                 ReadOutcome::kComplete, "Stop\x1A here;After;|\x1A;;;",
                 "Stop\x1A here\r\n\x1A\r\n\r\nAfter\r\n\r\n"},
        ReadCase{"LinesAreTakenAsTheyStand", "!\r\n  \r\nlower case\r\n\r\n   \r\n\r\n",
                 ReadOutcome::kComplete, "!;   ;|  ;lower case;;;",
                 "!\r\n  \r\nlower case\r\n\r\n   \r\n\r\n"},
        ReadCase{"EmptyFirstLine", "\r\nReply\r\nWORD\r\n\r\n", ReadOutcome::kMisaligned, "|", ""},
        ReadCase{"SecondEmptyLine", "First\r\nA\r\n\r\n\r\nSecond\r\nB\r\n\r\n",
                 ReadOutcome::kMisaligned, "First;|A;;", "First\r\nA\r\n\r\n"},
        // The record cut short is closed, so that the next one learned keeps its own keywords.
        ReadCase{"EndsInsideARecord", "First\r\nA\r\n\r\nCut\r\nB\r\n!\r\nC",
                 ReadOutcome::kComplete, "First;Cut;|A;;B;!;C;;",
                 "First\r\nA\r\n\r\nCut\r\nB\r\n!\r\nC\r\n\r\n"},
        ReadCase{"EndsAfterAReply", "Alone", ReadOutcome::kComplete, "Alone;|;", "Alone\r\n\r\n"}),
    kRowName);

// Learning cut short: a reply without its group, and a group without its terminator. A group
// without a reply is the knowledge file's test.
TEST(WriteTest, WritesAsFarAsTheLastGroupGot) {
    KnowledgeBase knowledge;
    knowledge.LoadSeedTables();
    Append(knowledge, "Whole;Cut short;No group yet;", ";B;");
    std::string bytes = "left over";
    EXPECT_EQ(WriteKnowledge(knowledge, &bytes), WriteOutcome::kComplete);
    EXPECT_EQ(bytes, "Whole\r\n\r\nCut short\r\nB\r\n");
}

// A file of many pieces, with lines longer than a piece, and a refused piece ending the writing.
TEST(WriteTest, PiecesJoinToTheWholeFile) {
    KnowledgeBase knowledge;
    knowledge.LoadSeedTables();
    const std::string longReply(600'000, 'r');
    const std::string longKeyword(300'000, 'K');
    Append(knowledge, longReply + ";", longKeyword + ";!;;");
    std::string expected = longReply + "\r\n" + longKeyword + "\r\n!\r\n\r\n";
    for (std::size_t i = 0; i < 30'000; ++i) {
        const std::string reply = "Reply " + std::to_string(i);
        const std::string keyword = "WORD" + std::to_string(i % 500) + std::string(i % 13, 'S');
        Append(knowledge, reply + ";", keyword + ";;");
        expected += reply + "\r\n" + keyword + "\r\n\r\n";
    }
    std::string joined;
    std::size_t pieces = 0;
    EXPECT_EQ(WriteKnowledge(knowledge,
                             [&joined, &pieces](std::string_view piece) {
                                 joined.append(piece);
                                 ++pieces;
                                 return piece.size() <= 256 * 1024;
                             }),
              WriteOutcome::kComplete);
    EXPECT_GT(pieces, 4U);
    EXPECT_TRUE(joined == expected);

    std::size_t passed = 0;
    EXPECT_EQ(WriteKnowledge(knowledge, [&passed](std::string_view) { return ++passed < 2; }),
              WriteOutcome::kStopped);
    EXPECT_EQ(passed, 2U);
}

}  // namespace
}  // namespace wobbet::testing
