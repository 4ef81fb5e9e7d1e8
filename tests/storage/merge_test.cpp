#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "storage/knowledge_format.h"
#include "storage/knowledge_merge.h"
#include "tests/support/knowledge_dump.h"
#include "tests/support/scratch_directory.h"

namespace wobbet::testing {
namespace {

using ::testing::ElementsAre;
using MergeTest = ScratchDirectoryTest;

TEST_F(MergeTest, AppendsNewRecordsInOrderSkipsKnownOnesAndRefusesADamagedFileWhole) {
    KnowledgeBase knowledge;
    knowledge.LoadSeedTables();
    ASSERT_EQ(ReadKnowledge("Known.\r\nA\r\n!\r\nB\r\n\r\n", knowledge), ReadOutcome::kComplete);
    const std::string other = (directory / "Other.dat").string();
    WriteBytes(other,
               "Known.\r\nA\r\n\r\nNew.\r\nC\r\n\r\nKnown.\r\nA\r\n!\r\nB\r\n\r\n"
               "New.\r\nC\r\n\r\nKnown.\r\nB\r\n!\r\nA\r\n");
    const MergeResult merged = MergeKnowledgeFile(other, knowledge);
    EXPECT_EQ(MergeNotice(merged, other), "Merged 3 new records; 2 were already known.");
    EXPECT_THAT(ResponsesFrom(knowledge, kSeedResponseCount),
                ElementsAre("Known.", "Known.", "New.", "Known."));
    EXPECT_THAT(KeywordsFrom(knowledge, kSeedKeywordCount),
                ElementsAre("A", "!", "B", "", "A", "", "C", "", "B", "!", "A", ""));

    WriteBytes(directory / "Damaged.dat", "New one.\r\nD\r\n\r\n\r\nE\r\n");
    for (const char* name : {"Damaged.dat", "Missing.dat"}) {
        const std::string path = (directory / name).string();
        const MergeResult refused = MergeKnowledgeFile(path, knowledge);
        EXPECT_EQ(refused.outcome, MergeResult::Outcome::kRefused);
        EXPECT_EQ(MergeNotice(refused, path),
                  "Merge refused: " + path + " is damaged or unreadable; nothing was merged.");
        EXPECT_EQ(knowledge.ResponseCount(), kSeedResponseCount + 4);
    }
}

}  // namespace
}  // namespace wobbet::testing
