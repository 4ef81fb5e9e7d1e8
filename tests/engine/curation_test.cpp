#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "engine/conversation_engine.h"
#include "engine/learned_records.h"
#include "engine/normalization.h"
#include "tests/support/knowledge_dump.h"
#include "tests/support/plain_scan_selection.h"
#include "tests/support/recording_host.h"
#include "tests/support/scripted_random.h"

namespace wobbet::testing {
namespace {

using ::testing::ElementsAre;

void AddRecord(KnowledgeBase& knowledge, std::string_view reply,
               std::initializer_list<std::string_view> keywords) {
    knowledge.AppendResponse(reply);
    for (std::string_view keyword : keywords) {
        knowledge.AppendKeyword(keyword);
    }
    knowledge.AppendKeyword(KnowledgeBase::kTerminator);
}

TEST(ForgetLastLesson,
     WalksBackThroughSayAndTeachLessonsSkippingDeletedOnesAndNeverPastTheSession) {
    RecordingHost host;
    ScriptedRandom random;
    random.PushRepeated(0, 100);
    ConversationEngine engine(host, random);
    engine.Knowledge().LoadSeedTables();
    AddRecord(engine.Knowledge(), "Loaded from the file.", {"XYZZY"});
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

    const ConversationMemory memory = engine.Memory();
    const std::int16_t mood = engine.Mood();
    const std::vector<std::string> calls = host.calls;
    const int draws = random.Draws();
    std::vector<std::optional<std::string>> forgotten;
    for (int i = 0; i < 4; ++i) {
        forgotten.push_back(engine.ForgetLastLesson());
    }
    EXPECT_THAT(forgotten, ElementsAre("Frotz", "Taught reply", "Plugh", std::nullopt));
    EXPECT_THAT(ResponsesFrom(engine.Knowledge(), kSeedResponseCount),
                ElementsAre("Loaded from the file."));
    EXPECT_EQ(engine.Knowledge().KeywordCount(), kSeedKeywordCount + 2);
    EXPECT_EQ(engine.Memory().LastInput + engine.Memory().LastResponse,
              memory.LastInput + memory.LastResponse);
    EXPECT_EQ(engine.Mood(), mood);
    EXPECT_EQ(host.calls, calls);
    EXPECT_EQ(random.Draws(), draws);
}

TEST(PausedLearning, SayRunsWithTheSameDrawsAndAnimationsButStoresNothingWhileTeachStores) {
    // From the same state, one turn that would learn: at mood 1, and at mood 0 where a reply is
    // drawn over the records there are.
    for (int turnsBefore : {0, 1}) {
        RecordingHost learningHost;
        RecordingHost pausedHost;
        CrtRandom learningRandom;
        CrtRandom pausedRandom;
        ConversationEngine learning(learningHost, learningRandom);
        ConversationEngine paused(pausedHost, pausedRandom);
        for (ConversationEngine* engine : {&learning, &paused}) {
            engine->Knowledge().LoadSeedTables();
        }
        learningHost.inputs = pausedHost.inputs = {"plugh", "frotz"};
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
        for (RecordingHost* host : {&learningHost, &pausedHost}) {
            std::erase_if(host->calls, [](const std::string& call) {
                return call.starts_with("Display") || call.starts_with("ShowReply");
            });
        }
        EXPECT_EQ(learningHost.calls, pausedHost.calls);
        EXPECT_EQ(learningRandom.Next(), pausedRandom.Next()) << turnsBefore;
        pausedHost.teachDialogs = {{TeachDialogResult::kOk, "quux", "Taught reply"}};
        paused.OnTeach();
        EXPECT_EQ(paused.Knowledge().Response(records), "Taught reply");
    }
}

TEST(RecordCuration, RemovingAndEditingKeepsIndexedSelectionEqualToThePlainScan) {
    RecordingHost host;
    CrtRandom random;
    ConversationEngine engine(host, random);
    KnowledgeBase& knowledge = engine.Knowledge();
    knowledge.LoadSeedTables();
    const std::vector<std::string_view> words = {"RED", "GREEN", "BLUE", "SKY", "SEA", "HELLO"};
    for (std::size_t i = 0; i < 300; ++i) {
        knowledge.AppendResponse("Reply " + std::to_string(i));
        for (std::size_t k = 0; k <= i % 4; ++k) {
            knowledge.AppendKeyword(words[(i * 7 + k * 3) % words.size()]);
        }
        knowledge.AppendKeyword(i % 50 == 3 ? "RED SKY" : "SEA");  // groups apart in the index
        if (i % 5 == 0) {
            knowledge.AppendKeyword(KnowledgeBase::kContextMarker);
            knowledge.AppendKeyword(words[i % words.size()]);
        }
        knowledge.AppendKeyword(KnowledgeBase::kTerminator);
    }
    const std::vector<std::string> phrases = {"red sky", "blue sea hello", "green", "purple",
                                              "red sky green blue sea hello"};
    const auto expectSameSelection = [&](const std::string& when) {
        for (std::string phrase : phrases) {
            std::int32_t wordCount = 0;
            Normalize(&phrase, &wordCount);
            engine.Memory().LastResponse = " SKY SEA ";
            engine.Memory().LastResponseWords = 2;
            CrtRandom plainRandom;
            random.Seed(7);
            plainRandom.Seed(7);
            bool learn = false;
            bool plainLearn = false;
            PlainScanSelection plain(knowledge, engine.Memory(), host, plainRandom);
            EXPECT_EQ(engine.SelectResponse(phrase, wordCount, &learn),
                      plain.SelectResponse(phrase, wordCount, &plainLearn))
                << when << ": " << phrase;
            EXPECT_EQ(learn, plainLearn);
            EXPECT_EQ(random.Next(), plainRandom.Next());
        }
    };
    expectSameSelection("before");

    EXPECT_TRUE(knowledge.ReplaceKeywords(20, "hello, red! the sky", "Blue sea"));
    EXPECT_TRUE(knowledge.ReplaceKeywords(21, "purple", ""));
    EXPECT_TRUE(knowledge.ReplaceReply(22, "Two\r\nlines"));
    EXPECT_FALSE(knowledge.ReplaceReply(23, ""));
    EXPECT_FALSE(knowledge.ReplaceKeywords(3, "purple", ""));
    expectSameSelection("after editing");
    const RecordText edited = DescribeRecord(knowledge, 20);
    EXPECT_EQ(edited.keywords, "HELLO RED SKY");
    EXPECT_EQ(edited.contextKeywords, "BLUE SEA");
    EXPECT_EQ(knowledge.Response(22), "Two lines");
    const std::vector<std::size_t> removed = {300, 8, 0, 150, 151, 9, 8, 306, 400};
    EXPECT_EQ(knowledge.RemoveRecords(removed), 6u);  // built-in and missing ones are kept
    expectSameSelection("after removing");
    EXPECT_EQ(knowledge.Response(8), "Reply 3");
    EXPECT_EQ(knowledge.Response(kSeedResponseCount + 293), "Reply 298");
}

TEST(LearnedRecordList, ListsNewestFirstAndFiltersByEveryWordIgnoringCase) {
    KnowledgeBase knowledge;
    knowledge.LoadSeedTables();
    AddRecord(knowledge, "Hello there.", {"HELLO", "!", "WEATHER"});
    AddRecord(knowledge, "Nice weather.", {"SUN", "!", "RAIN", "COLD"});
    AddRecord(knowledge, "Good night.", {"MOON"});
    ASSERT_EQ(LearnedRecordCount(knowledge), 3u);
    EXPECT_EQ(knowledge.Response(LearnedRecordAtRow(knowledge, 0)), "Good night.");
    const RecordText text = DescribeRecord(knowledge, LearnedRecordAtRow(knowledge, 1));
    EXPECT_EQ(text.keywords, "SUN");
    EXPECT_EQ(text.contextKeywords, "RAIN COLD");

    const struct {
        std::string_view filter;
        std::vector<std::string> replies;
    } cases[] = {
        {"", {"Good night.", "Nice weather.", "Hello there."}},
        {"hEL", {"Hello there."}},
        {"weather", {"Nice weather.", "Hello there."}},
        {"rain cold", {"Nice weather."}},
        {"NIGHT moon", {"Good night."}},
        {"hello moon", {}},
        {"there.nice", {}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> replies;
        for (std::size_t record : FilterLearnedRecords(knowledge, c.filter)) {
            replies.emplace_back(knowledge.Response(record));
        }
        EXPECT_THAT(replies, ::testing::ElementsAreArray(c.replies)) << c.filter;
    }
}

}  // namespace
}  // namespace wobbet::testing
