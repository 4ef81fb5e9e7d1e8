#include "engine/knowledge_base.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/knowledge_dump.h"

namespace wobbet::testing {
namespace {

using ::testing::ElementsAre;

TEST(KnowledgeBaseTest, SeedTablesHoldTheBuiltInRecordsAlone) {
    KnowledgeBase knowledge;
    knowledge.AppendResponse("Learned.");
    knowledge.AppendKeyword("LEARNED");
    knowledge.LoadSeedTables();
    knowledge.LoadSeedTables();
    EXPECT_EQ(knowledge.ResponseCount(), kSeedResponseCount);
    EXPECT_EQ(knowledge.KeywordCount(), kSeedKeywordCount);
    EXPECT_EQ(knowledge.GroupCount(), 7u);
    EXPECT_EQ(knowledge.Response(0), "Hello.");
    EXPECT_EQ(knowledge.Response(6), "What do you want to talk about?");
    EXPECT_EQ(knowledge.Keyword(0), "HELLO");
    // Record 6's group is a lone terminator.
    EXPECT_EQ(knowledge.Keyword(42), "");
    EXPECT_EQ(knowledge.Keyword(43), "");
}

TEST(KnowledgeBaseTest, GivesBackEveryEntryAsAppended) {
    // Enough entries and distinct texts to outgrow every initial capacity.
    KnowledgeBase knowledge;
    std::vector<std::string> replies;
    std::vector<std::string> keywords;
    for (int i = 0; i < 30000; ++i) {
        replies.push_back(i % 7 == 0 ? "" : "Reply number " + std::to_string(i));
        keywords.push_back(i % 5 == 0 ? "" : "WORD" + std::to_string(i % 4000));
        knowledge.AppendResponse(replies.back());
        knowledge.AppendKeyword(keywords.back());
    }
    const std::string oddReply("with\0nul", 8);
    const std::string longEntry(100000, 'X');
    for (const std::string& entry : {std::string("!"), std::string("two words"),
                                     std::string(" lead"), std::string("lower"), longEntry}) {
        keywords.push_back(entry);
        knowledge.AppendKeyword(entry);
    }
    replies.push_back(oddReply);
    knowledge.AppendResponse(oddReply);

    EXPECT_EQ(ResponsesFrom(knowledge, 0), replies);
    EXPECT_EQ(KeywordsFrom(knowledge, 0), keywords);
}

TEST(KnowledgeBaseTest, CountsGroupsByTheirTerminators) {
    KnowledgeBase knowledge;
    for (const char* entry : {"CAR", "CAR", "", "", "BUS", "!", "CAR", "", "TRAIN", "!"}) {
        knowledge.AppendKeyword(entry);
    }
    // Entries after the last terminator belong to no group.
    EXPECT_EQ(knowledge.GroupCount(), 3u);
    EXPECT_EQ(knowledge.KeywordCount(), 10u);
    knowledge.AppendKeyword("");
    EXPECT_EQ(knowledge.GroupCount(), 4u);
}

TEST(KnowledgeBaseTest, CopyIsIndependentOfTheOriginal) {
    KnowledgeBase original;
    original.LoadSeedTables();
    original.AppendResponse("Copied.");
    original.AppendKeyword("COPIED");
    original.AppendKeyword("");

    KnowledgeBase copy = original;
    original.AppendResponse("Later.");
    original.AppendKeyword("LATER");
    original.AppendKeyword("");

    EXPECT_THAT(ResponsesFrom(copy, 7), ElementsAre("Copied."));
    EXPECT_THAT(KeywordsFrom(copy, 44), ElementsAre("COPIED", ""));
    EXPECT_EQ(copy.GroupCount(), 8u);
    EXPECT_EQ(original.GroupCount(), 9u);
}

}  // namespace
}  // namespace wobbet::testing
