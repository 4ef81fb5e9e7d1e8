#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "engine/learned_records.h"
#include "tests/engine/engine_fixture.h"
#include "tests/support/knowledge_records.h"

namespace wobbet::testing {
namespace {

using ::testing::ElementsAre;

class CurationTest : public EngineTest {
protected:
    void SetUp() override { engine.Knowledge().LoadSeedTables(); }
};

TEST_F(CurationTest, ForgetWalksBackThroughTheSessionsLessonsSkippingDeletedOnes) {
    random.PushRepeated(0, 100);
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
               std::to_string(engine.Mood()) + std::to_string(random.Draws());
    };
    const std::string before = untouched();

    std::vector<std::optional<std::string>> forgotten;
    for (int i = 0; i < 4; ++i) {
        forgotten.push_back(engine.ForgetLastLesson());
    }
    EXPECT_THAT(forgotten, ElementsAre("Frotz", "Taught reply", "Plugh", std::nullopt));
    EXPECT_EQ(Learned(engine.Knowledge()), "Loaded from the file.;|XYZZY;;");
    EXPECT_EQ(untouched(), before);
}

TEST(PausedLearning, SayMakesTheSameDrawsAndAnimationsButStoresNothingWhileTeachStores) {
    // A turn that would learn at mood 1, and one at mood 0, where the reply is drawn over the
    // records there are.
    for (int turnsBefore : {0, 1}) {
        RecordingHost hosts[2];
        CrtRandom randoms[2];
        ConversationEngine learning(hosts[0], randoms[0]), paused(hosts[1], randoms[1]);
        for (int side : {0, 1}) {
            (side == 0 ? learning : paused).Knowledge().LoadSeedTables();
            hosts[side].inputs = {"plugh", "frotz"};
        }
        for (int turn = 0; turn < turnsBefore; ++turn) {
            learning.OnSay();
            paused.OnSay();
        }
        const std::size_t records = paused.Knowledge().ResponseCount();
        paused.SetLearningEnabled(false);
        learning.OnSay();
        paused.OnSay();
        EXPECT_EQ(learning.Knowledge().ResponseCount(), records + 1);
        EXPECT_EQ(paused.Knowledge().ResponseCount(), records);
        EXPECT_EQ(learning.Mood(), paused.Mood());
        // The reply drawn at mood 0 may differ, as the paused turn draws over fewer records.
        for (RecordingHost& host : hosts) {
            std::erase_if(host.calls, [](const std::string& call) {
                return call.starts_with("Display") || call.starts_with("ShowReply");
            });
        }
        EXPECT_EQ(hosts[0].calls, hosts[1].calls);
        EXPECT_EQ(randoms[0].Next(), randoms[1].Next()) << turnsBefore;
        hosts[1].teachDialogs = {{TeachDialogResult::kOk, "quux", "Taught reply"}};
        paused.OnTeach();
        EXPECT_EQ(paused.Knowledge().Response(records), "Taught reply");
    }
}

TEST_F(CurationTest, EditsAndRemovesOnlyLearnedRecords) {
    KnowledgeBase& knowledge = engine.Knowledge();
    Append(knowledge, "One;Two;Three;", "A;;B;;C;!;D;;");
    EXPECT_TRUE(knowledge.ReplaceKeywords(7, "hello, red! the sky", "Blue sea"));
    EXPECT_TRUE(knowledge.ReplaceKeywords(8, "purple", ""));
    EXPECT_TRUE(knowledge.ReplaceReply(9, "Two\r\nlines"));
    EXPECT_FALSE(knowledge.ReplaceReply(8, ""));
    EXPECT_FALSE(knowledge.ReplaceKeywords(3, "purple", ""));
    EXPECT_EQ(Learned(knowledge), "One;Two;Two lines;|HELLO;RED;SKY;!;BLUE;SEA;;PURPLE;;C;!;D;;");
    const std::vector<std::size_t> removed = {8, 0, 8, 10};
    EXPECT_EQ(knowledge.RemoveRecords(removed), 1u);
    EXPECT_EQ(Learned(knowledge, 0, 0).substr(0, 6), "Hello.");
    EXPECT_EQ(Learned(knowledge), "One;Two lines;|HELLO;RED;SKY;!;BLUE;SEA;;C;!;D;;");
}

TEST_F(CurationTest, ListsNewestFirstAndFiltersByEveryWordIgnoringCaseInAnyColumn) {
    KnowledgeBase& knowledge = engine.Knowledge();
    Append(knowledge, "Hello there.;Nice weather.;Good night.;",
           "HELLO;!;WEATHER;;SUN;!;RAIN;COLD;;MOON;;");
    const RecordText text = DescribeRecord(knowledge, LearnedRecordAtRow(knowledge, 1));
    EXPECT_EQ(std::string(text.reply) + "|" + text.keywords + "|" + text.contextKeywords,
              "Nice weather.|SUN|RAIN COLD");
    const std::pair<std::string_view, std::string> cases[] = {
        {"", "Good night.;Nice weather.;Hello there.;"},
        {"hEL", "Hello there.;"},
        {"weather", "Nice weather.;Hello there.;"},
        {"rain cold", "Nice weather.;"},
        {"NIGHT moon", "Good night.;"},
        {"hello moon", ""},
        {"there.nice", ""},
    };
    for (const auto& [filter, replies] : cases) {
        std::vector<std::string_view> found;
        for (std::size_t record : FilterLearnedRecords(knowledge, filter)) {
            found.push_back(knowledge.Response(record));
        }
        EXPECT_EQ(Joined(found), replies) << filter;
    }
    EXPECT_EQ(LearnedRecordCount(knowledge), 3u);
}

}  // namespace
}  // namespace wobbet::testing
