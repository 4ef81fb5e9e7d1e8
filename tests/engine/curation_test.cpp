#include <algorithm>
#include <iterator>
#include <sstream>

#include "engine/learned_records.h"
#include "tests/engine/engine_fixture.h"

namespace wobbet::testing {
namespace {

using CurationTest = SeededEngineTest;

// Deleted records before and among the lessons, and merged ones after, shift every index.
TEST_F(CurationTest, ForgetWalksBackThroughTheSessionsLessonsPastDeletedAndMergedRecords) {
    random.numbers.resize(100);
    Append(engine.Knowledge(), "Loaded first.;Loaded second.;", "XYZZY;;YZZYX;;");
    host.inputs = {"plugh", "frotz"};
    host.teachDialogs = {{TeachDialogResult::kOk, "quux", "Taught reply"},
                         {TeachDialogResult::kOk, "quux", "Deleted reply"}};
    engine.OnSay();
    engine.OnTeach();
    engine.OnSay();
    engine.OnTeach();
    Append(engine.Knowledge(), "Merged.;", "MERGED;;");
    ASSERT_EQ(engine.Knowledge().RemoveRecords(std::vector<std::size_t>{7, 12}), 2u);
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
    EXPECT_EQ(Learned(engine.Knowledge()), "Loaded second.;Merged.;|YZZYX;;MERGED;;");
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

TEST_F(CurationTest, EditsListsFiltersAndRemovesOnlyLearnedRecordsAndTalkFollows) {
    KnowledgeBase& knowledge = engine.Knowledge();
    // Three's context is written in lower case, as a hand-edited file may hold it.
    Append(knowledge, "One;Two;Three;", "ALPHA;;BETA;;GAMMA;!;delta;;");
    // The reply that each word of the phrases gets, when no draw decides.
    const auto replies = [&](std::string_view phrases) {
        std::string found;
        for (const std::string_view phrase : Entries(phrases)) {
            std::string normalised(phrase);
            std::int32_t words = 0;
            bool learn = false;
            rules.Normalize(&normalised, &words);
            random.numbers.assign(100, 0);
            const std::int32_t winner = engine.SelectResponse(normalised, words, &learn);
            found.append(knowledge.Response(static_cast<std::size_t>(winner))).push_back(';');
        }
        return found;
    };
    ASSERT_EQ(replies("alpha;beta;gamma;"), "One;Two;Three;");
    EXPECT_TRUE(knowledge.ReplaceKeywords(7, "hello, red! the sky", "Blue sea", rules));
    EXPECT_TRUE(knowledge.ReplaceKeywords(8, "purple", "", rules));
    EXPECT_TRUE(knowledge.ReplaceReply(9, "Two\r\nlines"));
    EXPECT_FALSE(knowledge.ReplaceReply(8, ""));
    EXPECT_FALSE(knowledge.ReplaceKeywords(3, "purple", "", rules));
    // A column left out keeps its entries byte for byte.
    EXPECT_TRUE(knowledge.ReplaceKeywords(9, "gamma", std::nullopt, rules));
    EXPECT_EQ(Learned(knowledge),
              "One;Two;Two lines;|HELLO;RED;SKY;!;BLUE;SEA;;PURPLE;;GAMMA;!;delta;;");
    EXPECT_EQ(replies("alpha;red;beta;purple;gamma;"), "Hello.;One;Hello.;Two;Two lines;");
    const RecordText text = DescribeRecord(knowledge, LearnedRecordAtRow(knowledge, 2));
    EXPECT_EQ(std::string(text.reply) + "|" + text.keywords + "|" + text.contextKeywords,
              "One|HELLO RED SKY|BLUE SEA");
    // Newest first; every word of the filter, ignoring case, in any column.
    std::string filtered;
    for (const char* filter : {"", "two", "hEL blue", "sky two", "one.red", "delta"}) {
        for (std::size_t record : FilterLearnedRecords(knowledge, filter, rules)) {
            filtered.append(knowledge.Response(record)).push_back(';');
        }
        filtered += '|';
    }
    EXPECT_EQ(filtered, "Two lines;Two;One;|Two lines;Two;|One;|||Two lines;|");
    EXPECT_EQ(knowledge.RemoveRecords(std::vector<std::size_t>{8, 0, 8, 10}), 1u);
    EXPECT_EQ(Learned(knowledge), "One;Two lines;|HELLO;RED;SKY;!;BLUE;SEA;;GAMMA;!;delta;;");
    EXPECT_EQ(replies("red;purple;gamma;"), "One;Hello.;Two lines;");
}

// Replies beyond ASCII are found in the reply text as a whole; each counts for its own record.
TEST_F(CurationTest, FilterFoldsRepliesBeyondAsciiAmongOthers) {
    Append(engine.Knowledge(),
           "One;\xC3\x87"
           "a VA;Two;D\xC3\xA9j\xC3\xA0 vu;",
           "A;;B;;C;;D;;");
    std::string found;
    for (const char* filter : {"va", "VU", "one"}) {
        for (std::size_t record : FilterLearnedRecords(engine.Knowledge(), filter, rules)) {
            found.append(engine.Knowledge().Response(record)).push_back(';');
        }
        found += '|';
    }
    EXPECT_EQ(found,
              "\xC3\x87"
              "a VA;|D\xC3\xA9j\xC3\xA0 vu;|One;|");
}

// Enough records that most keyword entries are numbered, with the word in replies, keywords
// and context of records side by side and at the very end of a reply: each record matches as
// its own text reads.
TEST_F(CurationTest, FilterAgreesWithEachRecordsOwnTextOverManyRecords) {
    KnowledgeBase& knowledge = engine.Knowledge();
    for (int i = 0; i < 90; ++i) {
        Append(knowledge, (i % 3 == 0 ? "Baba " : "Gu zed ") + std::to_string(i) + " zed;",
               std::string(i % 2 == 0 ? "BABA;ZED;" : "ZOD;") + (i % 5 == 0 ? "!;CABA;;" : ";"));
    }
    for (const char* filter :
         {"baba", "ba", "BA 1", "caba zed", "u 8", "ab", "zed", "zod gu baba"}) {
        std::vector<std::size_t> expected;
        for (std::size_t row = 0; row < LearnedRecordCount(knowledge); ++row) {
            const RecordText text = DescribeRecord(knowledge, LearnedRecordAtRow(knowledge, row));
            std::string all =
                std::string(text.reply) + "|" + text.keywords + "|" + text.contextKeywords;
            std::transform(all.begin(), all.end(), all.begin(), ::tolower);
            std::istringstream words(filter);
            if (std::all_of(std::istream_iterator<std::string>(words), {}, [&](std::string word) {
                    std::transform(word.begin(), word.end(), word.begin(), ::tolower);
                    return all.find(word) != std::string::npos;
                })) {
                expected.push_back(LearnedRecordAtRow(knowledge, row));
            }
        }
        EXPECT_EQ(FilterLearnedRecords(knowledge, filter, rules), expected) << filter;
    }
}

TEST_F(CurationTest, SerialsKeepNamingTheirRepliesThroughRemovalsAndNewRecords) {
    KnowledgeBase& knowledge = engine.Knowledge();
    Append(knowledge, "R7;R8;R9;R10;R11;R12;R13;", "A;;A;;A;;A;;A;;A;;A;;");
    std::vector<std::uint32_t> serials;
    for (std::size_t reply = 0; reply < knowledge.ResponseCount(); ++reply) {
        serials.push_back(knowledge.SerialOf(reply));
    }
    // Removals inside a stretch of serials, at its end, and on both sides of where two meet.
    for (const std::vector<std::size_t>& removed :
         {std::vector<std::size_t>{9, 10, 13}, std::vector<std::size_t>{8, 9}}) {
        knowledge.RemoveRecords(removed);
    }
    Append(knowledge, "R14;", "A;;");
    std::string found;
    for (std::uint32_t serial : serials) {
        const std::optional<std::size_t> reply = knowledge.FindSerial(serial);
        found += reply ? std::string(knowledge.Response(*reply)) + ";" : "-;";
        EXPECT_TRUE(!reply || knowledge.SerialOf(*reply) == serial);
    }
    EXPECT_EQ(found.substr(found.find("R7")), "R7;-;-;-;-;R12;-;");
    EXPECT_EQ(knowledge.FindSerial(knowledge.SerialOf(9)), 9u);
    EXPECT_EQ(knowledge.Response(9), "R14");
}

}  // namespace
}  // namespace wobbet::testing
