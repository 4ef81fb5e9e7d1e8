#include "storage/knowledge_format.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <initializer_list>

#include "engine/conversation_engine.h"
#include "tests/support/knowledge_dump.h"
#include "tests/support/recording_host.h"
#include "tests/support/scripted_random.h"

namespace wobbet::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// The records of the typical first exchange and a second one with an empty group, as learned.
constexpr std::string_view kExampleFile =
    "Fine, thanks\r\nHELLO\r\n!\r\nGOOD\r\nMORNING\r\n\r\nNice weather today.\r\n\r\n";

class KnowledgeFormatTest : public ::testing::Test {
protected:
    KnowledgeBase knowledge;

    void SetUp() override { knowledge.LoadSeedTables(); }

    void AddRecord(std::string_view reply, std::initializer_list<std::string_view> keywords) {
        knowledge.AppendResponse(reply);
        for (std::string_view keyword : keywords) {
            knowledge.AppendKeyword(keyword);
        }
        knowledge.AppendKeyword(KnowledgeBase::kTerminator);
    }

    std::string Written(WriteOutcome expected = WriteOutcome::kComplete) {
        std::string bytes = "left over from before";
        EXPECT_EQ(WriteKnowledge(knowledge, &bytes), expected);
        return bytes;
    }

    std::vector<std::string> LearnedResponses() const {
        return ResponsesFrom(knowledge, kSeedResponseCount);
    }
    std::vector<std::string> LearnedKeywords() const {
        return KeywordsFrom(knowledge, kSeedKeywordCount);
    }
};

TEST_F(KnowledgeFormatTest, ExampleFileBecomesRecordsSevenAndEight) {
    EXPECT_EQ(ReadKnowledge(kExampleFile, knowledge), ReadOutcome::kComplete);

    EXPECT_THAT(LearnedResponses(), ElementsAre("Fine, thanks", "Nice weather today."));
    EXPECT_THAT(LearnedKeywords(), ElementsAre("HELLO", "!", "GOOD", "MORNING", "", ""));
    EXPECT_EQ(knowledge.Response(0), "Hello.");
}

TEST_F(KnowledgeFormatTest, ExampleRecordsAreWrittenAsTheExampleFile) {
    AddRecord("Fine, thanks", {"HELLO", "!", "GOOD", "MORNING"});
    AddRecord("Nice weather today.", {});

    EXPECT_EQ(Written(), kExampleFile);
}

TEST_F(KnowledgeFormatTest, LoneLineFeedsEndLinesLikeCarriageReturnLineFeeds) {
    EXPECT_EQ(ReadKnowledge("Fine, thanks\nHELLO\n!\nGOOD\nMORNING\n\nNice weather today.\r\n\n",
                            knowledge),
              ReadOutcome::kComplete);

    EXPECT_THAT(LearnedResponses(), ElementsAre("Fine, thanks", "Nice weather today."));
    EXPECT_THAT(LearnedKeywords(), ElementsAre("HELLO", "!", "GOOD", "MORNING", "", ""));
    EXPECT_EQ(Written(), kExampleFile);
}

TEST_F(KnowledgeFormatTest, CarriageReturnsNotBeforeALineFeedStayInTheirLine) {
    EXPECT_EQ(ReadKnowledge("one\rtwo\r\nTRAILING\r\r\n\r\nLAST\r", knowledge),
              ReadOutcome::kComplete);

    EXPECT_THAT(LearnedResponses(), ElementsAre("one\rtwo", "LAST\r"));
    EXPECT_THAT(LearnedKeywords(), ElementsAre("TRAILING\r", "", ""));
}

TEST_F(KnowledgeFormatTest, ByteOneAIsOrdinaryText) {
    const std::string file = std::string("Stop\x1A here\r\n\x1A\r\n\r\nAfter\r\n\r\n");

    EXPECT_EQ(ReadKnowledge(file, knowledge), ReadOutcome::kComplete);

    EXPECT_THAT(LearnedResponses(), ElementsAre("Stop\x1A here", "After"));
    EXPECT_THAT(LearnedKeywords(), ElementsAre("\x1A", "", ""));
}

TEST_F(KnowledgeFormatTest, LinesAreTakenAsTheyStand) {
    EXPECT_EQ(ReadKnowledge("!\r\n  \r\nlower case\r\n\r\n   \r\n\r\n", knowledge),
              ReadOutcome::kComplete);

    EXPECT_THAT(LearnedResponses(), ElementsAre("!", "   "));
    EXPECT_THAT(LearnedKeywords(), ElementsAre("  ", "lower case", "", ""));
}

TEST_F(KnowledgeFormatTest, EmptyFirstLineIsMisalignedAndLoadsNothing) {
    EXPECT_EQ(ReadKnowledge("\r\nReply\r\nWORD\r\n\r\n", knowledge), ReadOutcome::kMisaligned);

    EXPECT_THAT(LearnedResponses(), IsEmpty());
    EXPECT_THAT(LearnedKeywords(), IsEmpty());
}

TEST_F(KnowledgeFormatTest, SecondEmptyLineStopsReadingAfterTheRecordsBeforeIt) {
    EXPECT_EQ(ReadKnowledge("First\r\nA\r\n\r\n\r\nSecond\r\nB\r\n\r\n", knowledge),
              ReadOutcome::kMisaligned);

    EXPECT_THAT(LearnedResponses(), ElementsAre("First"));
    EXPECT_THAT(LearnedKeywords(), ElementsAre("A", ""));
}

TEST_F(KnowledgeFormatTest, FileEndingInsideARecordHasThatGroupClosed) {
    EXPECT_EQ(ReadKnowledge("First\r\nA\r\n\r\nCut\r\nB\r\n!\r\nC", knowledge),
              ReadOutcome::kComplete);

    EXPECT_THAT(LearnedResponses(), ElementsAre("First", "Cut"));
    EXPECT_THAT(LearnedKeywords(), ElementsAre("A", "", "B", "!", "C", ""));
}

TEST_F(KnowledgeFormatTest, RecordsLearnedAfterACutFileKeepTheirOwnKeywords) {
    RecordingHost host;
    host.context = false;
    ScriptedRandom random;
    ConversationEngine engine(host, random);
    engine.Knowledge().LoadSeedTables();
    ASSERT_EQ(ReadKnowledge("Cut\r\nB", engine.Knowledge()), ReadOutcome::kComplete);
    engine.Memory().LastResponse = " WEATHER ";

    engine.Learn("sunny");

    std::string bytes;
    EXPECT_EQ(WriteKnowledge(engine.Knowledge(), &bytes), WriteOutcome::kComplete);
    EXPECT_EQ(bytes, "Cut\r\nB\r\n\r\nSunny\r\nWEATHER\r\n\r\n");
}

TEST_F(KnowledgeFormatTest, UnfinishedLearningIsWrittenAsFarAsItsGroupGot) {
    AddRecord("Whole", {});
    knowledge.AppendResponse("Cut short");
    knowledge.AppendKeyword("B");
    knowledge.AppendResponse("No group yet");

    EXPECT_EQ(Written(), "Whole\r\n\r\nCut short\r\nB\r\n");
}

TEST_F(KnowledgeFormatTest, GroupWithoutAReplyStopsTheWriterAfterTheCompleteRecords) {
    AddRecord("Whole", {"A"});
    knowledge.AppendKeyword("ORPHAN");
    knowledge.AppendKeyword(KnowledgeBase::kTerminator);
    knowledge.AppendKeyword("LATER");
    knowledge.AppendKeyword(KnowledgeBase::kTerminator);

    EXPECT_EQ(Written(WriteOutcome::kMisaligned), "Whole\r\nA\r\n\r\n");
}

TEST_F(KnowledgeFormatTest, WrittenRecordsReadBackUnchanged) {
    AddRecord("Fine, thanks", {"HELLO", "!", "GOOD", "MORNING"});
    AddRecord("!", {"!", "!"});
    AddRecord("  spaced  ", {" ", "A B"});
    AddRecord("Carriage\rreturn\r", {"X\r"});
    AddRecord("\x1A\xE9\xFF bytes", {});
    AddRecord(std::string(100000, 'w'), {"LONG"});

    const std::string bytes = Written();
    KnowledgeBase reread;
    reread.LoadSeedTables();
    EXPECT_EQ(ReadKnowledge(bytes, reread), ReadOutcome::kComplete);

    EXPECT_EQ(ResponsesFrom(reread, 0), ResponsesFrom(knowledge, 0));
    EXPECT_EQ(KeywordsFrom(reread, 0), KeywordsFrom(knowledge, 0));
}

}  // namespace
}  // namespace wobbet::testing
