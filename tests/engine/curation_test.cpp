#include "engine/learned_records.h"
#include "tests/engine/engine_fixture.h"

namespace wobbet::testing {
namespace {

using CurationTest = SeededEngineTest;

TEST_F(CurationTest, ForgetWalksBackThroughTheSessionsLessonsSkippingDeletedOnes) {
    random.numbers.resize(100);
    Append(engine.Knowledge(), "Loaded from the file.;", "XYZZY;;");
    host.inputs = {"plugh", "frotz"};
    host.teachDialogs = {{TeachDialogResult::kOk, "quux", "Taught reply"},
                         {TeachDialogResult::kOk, "quux", "Deleted reply"}};
    engine.OnSay();
    engine.OnTeach();
    engine.OnTeach();
    engine.OnSay();
    const std::size_t deleted = 10;
    ASSERT_EQ(engine.Knowledge().Response(deleted), "Deleted reply");
    ASSERT_EQ(engine.Knowledge().RemoveRecords(std::span(&deleted, 1)), 1u);
    // The memory, the mood, the host and the generator are left alone.
    const auto untouched = [&] {
        return engine.Memory().LastInput + engine.Memory().LastResponse + Joined(host.calls) +
               std::to_string(engine.Mood()) + std::to_string(random.draws);
    };
    const std::string before = untouched();

    for (const auto& reply : {"Frotz", "Taught reply", "Plugh"}) {
        EXPECT_EQ(engine.ForgetLastLesson(), reply);
    }
    EXPECT_EQ(engine.ForgetLastLesson(), std::nullopt);
    EXPECT_EQ(Learned(engine.Knowledge()), "Loaded from the file.;|XYZZY;;");
    EXPECT_EQ(untouched(), before);
}

TEST(PausedLearning, SayMakesTheSameDrawsAndAnimationsButStoresNothingWhileTeachStores) {
    // A turn that would learn at mood 1, and one at mood 0, drawing the reply over all records.
    for (std::size_t turnsBefore : {0u, 1u}) {
        RecordingHost hosts[2];
        CrtRandom randoms[2];
        const ByteTextRules rules;
        ConversationEngine engines[2] = {{hosts[0], randoms[0], rules},
                                         {hosts[1], randoms[1], rules}};
        for (int side : {0, 1}) {
            engines[side].Knowledge().LoadSeedTables();
            hosts[side].inputs = {"plugh", "frotz"};
            for (std::size_t turn = 0; turn <= turnsBefore; ++turn) {
                engines[side].SetLearningEnabled(side == 0 || turn < turnsBefore);
                engines[side].OnSay();
            }
            // The reply drawn at mood 0 may differ, as the paused turn draws over fewer records.
            std::erase_if(hosts[side].calls, [](const std::string& call) {
                return call.starts_with("Display") || call.starts_with("ShowReply");
            });
        }
        const std::size_t records = kSeedResponseCount + turnsBefore;
        EXPECT_EQ(engines[0].Knowledge().ResponseCount(), records + 1);
        EXPECT_EQ(engines[1].Knowledge().ResponseCount(), records);
        EXPECT_EQ(engines[0].Mood(), engines[1].Mood());
        EXPECT_EQ(hosts[0].calls, hosts[1].calls);
        EXPECT_EQ(randoms[0].Next(), randoms[1].Next()) << turnsBefore;
        hosts[1].teachDialogs = {{TeachDialogResult::kOk, "quux", "Taught reply"}};
        engines[1].OnTeach();
        EXPECT_EQ(engines[1].Knowledge().Response(records), "Taught reply");
    }
}

TEST_F(CurationTest, EditsListsFiltersAndRemovesOnlyLearnedRecords) {
    KnowledgeBase& knowledge = engine.Knowledge();
    Append(knowledge, "One;Two;Three;", "A;;B;;C;!;D;;");
    EXPECT_TRUE(knowledge.ReplaceKeywords(7, "hello, red! the sky", "Blue sea", rules));
    EXPECT_TRUE(knowledge.ReplaceKeywords(8, "purple", "", rules));
    EXPECT_TRUE(knowledge.ReplaceReply(9, "Two\r\nlines"));
    EXPECT_FALSE(knowledge.ReplaceReply(8, ""));
    EXPECT_FALSE(knowledge.ReplaceKeywords(3, "purple", "", rules));
    EXPECT_EQ(Learned(knowledge), "One;Two;Two lines;|HELLO;RED;SKY;!;BLUE;SEA;;PURPLE;;C;!;D;;");
    const RecordText text = DescribeRecord(knowledge, LearnedRecordAtRow(knowledge, 2));
    EXPECT_EQ(std::string(text.reply) + "|" + text.keywords + "|" + text.contextKeywords,
              "One|HELLO RED SKY|BLUE SEA");
    // Newest first; every word of the filter, ignoring case, in any column.
    std::string filtered;
    for (const char* filter : {"", "two", "hEL blue", "sky two", "one.red"}) {
        for (std::size_t record : FilterLearnedRecords(knowledge, filter, rules)) {
            filtered.append(knowledge.Response(record)).push_back(';');
        }
        filtered += '|';
    }
    EXPECT_EQ(filtered, "Two lines;Two;One;|Two lines;Two;|One;|||");
    const std::vector<std::size_t> removed = {8, 0, 8, 10};
    EXPECT_EQ(knowledge.RemoveRecords(removed), 1u);
    EXPECT_EQ(Learned(knowledge, 0, 0).substr(0, 6), "Hello.");
    EXPECT_EQ(Learned(knowledge), "One;Two lines;|HELLO;RED;SKY;!;BLUE;SEA;;C;!;D;;");
    EXPECT_EQ(LearnedRecordCount(knowledge), 2u);
}

}  // namespace
}  // namespace wobbet::testing
