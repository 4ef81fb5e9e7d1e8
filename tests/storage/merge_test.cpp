#include <gtest/gtest.h>

#include "storage/knowledge_format.h"
#include "storage/knowledge_merge.h"
#include "tests/support/knowledge_records.h"
#include "tests/support/scratch_directory.h"

namespace wobbet::testing {
namespace {

using MergeTest = ScratchDirectoryTest;

TEST_F(MergeTest, AppendsNewRecordsInOrderSkipsKnownOnesAndRefusesADamagedFileWhole) {
    KnowledgeBase knowledge;
    knowledge.LoadSeedTables();
    ASSERT_EQ(ReadKnowledge("Known.\r\nA\r\n!\r\nB\r\n\r\n", knowledge), ReadOutcome::kComplete);
    // Records differing only in their context section are different records.
    const std::string other = (directory / "Other.dat").string();
    WriteBytes(other,
               "Known.\r\nA\r\n\r\nNew.\r\nC\r\n\r\nKnown.\r\nA\r\n!\r\nB\r\n\r\n"
               "New.\r\nC\r\n\r\nKnown.\r\nB\r\n!\r\nA\r\n");
    EXPECT_EQ(MergeNotice(MergeKnowledgeFile(other, knowledge), other),
              "Merged 3 new records; 2 were already known.");
    const std::string merged = Learned(knowledge);
    EXPECT_EQ(merged, "Known.;Known.;New.;Known.;|A;!;B;;A;;C;;B;!;A;;");

    WriteBytes(directory / "Damaged.dat", "New one.\r\nD\r\n\r\n\r\nE\r\n");
    for (const char* name : {"Damaged.dat", "Missing.dat"}) {
        const std::string path = (directory / name).string();
        const MergeResult refused = MergeKnowledgeFile(path, knowledge);
        EXPECT_EQ(refused.outcome, MergeResult::Outcome::kRefused);
        EXPECT_EQ(MergeNotice(refused, path),
                  "Merge refused: " + path + " is damaged or unreadable; nothing was merged.");
        EXPECT_EQ(Learned(knowledge), merged);
    }
}

}  // namespace
}  // namespace wobbet::testing
