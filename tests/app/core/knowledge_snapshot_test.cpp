#include "app/core/knowledge_snapshot.h"

#include <gtest/gtest.h>

#include <memory>

#include "tests/support/knowledge_records.h"

namespace wobbet::testing {
namespace {

TEST(KnowledgeSnapshotTest, CopiesOncePerChangeAndNeverWritesOverACopyStillRead) {
    KnowledgeBase knowledge;
    knowledge.LoadSeedTables();
    KnowledgeSnapshot snapshot(knowledge);
    std::shared_ptr<const KnowledgeBase> filtered = snapshot.Take();
    EXPECT_EQ(snapshot.Take(), filtered) << "unchanged tables copied again";

    Append(knowledge, "Learned;", "WORD;;");
    snapshot.Changed();
    std::shared_ptr<const KnowledgeBase> saved = snapshot.Take();
    EXPECT_EQ(filtered->ResponseCount(), kSeedResponseCount) << "a copy still read was changed";
    ASSERT_EQ(saved->ResponseCount(), kSeedResponseCount + 1) << "a change was not copied";
    EXPECT_EQ(saved->Response(kSeedResponseCount), "Learned");

    // Once only the snapshot holds its copy, the next one is made in its memory.
    const KnowledgeBase* last = saved.get();
    filtered.reset();
    saved.reset();
    Append(knowledge, "Again;", "WORD;;");
    snapshot.Changed();
    const std::shared_ptr<const KnowledgeBase> next = snapshot.Take();
    EXPECT_EQ(next.get(), last);
    ASSERT_EQ(next->ResponseCount(), kSeedResponseCount + 2);
    EXPECT_EQ(next->Response(kSeedResponseCount + 1), "Again");
}

}  // namespace
}  // namespace wobbet::testing
