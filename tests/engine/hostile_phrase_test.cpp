// Whatever a user types or pastes gets an answer in bounded time and memory, and what is learned
// from it stays a record the knowledge file can hold. Each case prints its time and peak memory.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "tests/engine/engine_fixture.h"
#include "tests/support/knowledge_dump.h"
#include "tests/support/resource_figures.h"

namespace wobbet::testing {
namespace {

using ::testing::ElementsAre;

constexpr std::size_t kTenMegabytes = 10u << 20;
constexpr std::string_view kEmptyPhraseText =
    "Type something in the text box.  Then click the 'Say' button.";

class HostilePhraseTest : public EngineTest {
protected:
    void SetUp() override { Seed(); }

    // Says the text with every tie draw and the learn draw at 0 when it has words, then the
    // extra draws given; returns what was displayed, cut short so that a failure stays readable.
    std::string Say(std::string text, std::initializer_list<int> extraDraws = {}) {
        std::string phrase = text;
        std::int32_t wordCount = 0;
        Normalize(&phrase, &wordCount);
        if (wordCount > 0) {
            random.PushRepeated(0, GroupCount() + 1);
        }
        for (int draw : extraDraws) {
            random.Push(draw);
        }
        host.inputs.push_back(std::move(text));
        host.calls.clear();
        engine.OnSay();
        std::string displayed;
        int displays = 0;
        for (const std::string& call : host.calls) {
            if (call.rfind("Display ", 0) == 0) {
                displayed = call.substr(8);
                ++displays;
            }
            EXPECT_NE(call.rfind("ShowMessage", 0), 0u) << call.substr(0, 100);
        }
        EXPECT_EQ(displays, 1);
        EXPECT_EQ(random.Remaining(), 0u);
        return Brief(displayed);
    }

    static std::string Brief(const std::string& text) {
        return text.size() <= 200
                   ? text
                   : text.substr(0, 200) + "... (" + std::to_string(text.size()) + " bytes)";
    }

    // Words no record knows, each one different: x0 x1 x2 ...
    static std::string DistinctWords(std::size_t bytes) {
        std::string text;
        text.reserve(bytes + 16);
        for (std::size_t i = 0; text.size() < bytes; ++i) {
            text += 'x';
            text += std::to_string(i);
            text += ' ';
        }
        return text;
    }

    void Teach(std::string phrase, std::string reply) {
        host.teachDialogs.push_back({TeachDialogResult::kOk, std::move(phrase), std::move(reply)});
        engine.OnTeach();
    }

    std::size_t GroupCount() const {
        std::size_t groups = 0;
        for (std::size_t i = 0; i < engine.Knowledge().KeywordCount(); ++i) {
            groups += engine.Knowledge().Keyword(i).empty() ? 1u : 0u;
        }
        return groups;
    }
};

TEST_F(HostilePhraseTest, TenMegabytesOfDistinctWordsIsLearnedAndLaterTurnsStayAnswered) {
    const CaseFigures figures("10 MB phrase of distinct words, then three more turns");
    const std::string paste = DistinctWords(kTenMegabytes);
    host.context = true;

    // Nothing known: learned as a reply; the phrase becomes the context of the next record.
    EXPECT_EQ(Say(paste), "Hello.");
    // Learned with a million context keywords; at mood 0 the draw picks the pasted reply.
    const std::string learnedPaste = "X" + paste.substr(1);
    EXPECT_EQ(Say("purple elephants", {7}), Brief(learnedPaste));
    // Every context keyword of that record is in the previous reply, so it wins outright.
    EXPECT_EQ(Say("hello"), "Purple elephants");
    EXPECT_EQ(Say("hello"), "Hello.");

    EXPECT_EQ(engine.Knowledge().ResponseCount(), 9u);
    EXPECT_TRUE(engine.Knowledge().Response(7) == learnedPaste);
    EXPECT_EQ(GroupCount(), 9u);
}

TEST_F(HostilePhraseTest, TenMegabytePhraseAgainstAHundredThousandRecords) {
    const CaseFigures figures("10 MB phrase against 100k learned records");
    // Each record knows one of the phrase's words and one word of its own.
    for (std::size_t i = 0; i < 100'000; ++i) {
        engine.Knowledge().AppendResponse("Reply " + std::to_string(i));
        engine.Knowledge().AppendKeyword("X" + std::to_string(i * 7));
        engine.Knowledge().AppendKeyword("OWN" + std::to_string(i));
        engine.Knowledge().AppendKeyword(KnowledgeBase::kTerminator);
    }
    host.context = false;
    // Every record has one hit; with equal draws the first wins, explaining a sliver of the
    // phrase, and a learn draw of 0 stays below that.
    EXPECT_EQ(Say(DistinctWords(kTenMegabytes)), "Reply 0");
    EXPECT_EQ(engine.Knowledge().ResponseCount(), 100'007u);
}

TEST_F(HostilePhraseTest, OneTenMegabyteWordIsKeptAsOneKeyword) {
    const CaseFigures figures("one 10 MB word, then two more turns");
    host.context = true;
    EXPECT_EQ(Say(std::string(kTenMegabytes, 'a')), "Hello.");
    // At mood 0 the reply is drawn: record 0.
    EXPECT_EQ(Say("purple", {0}), "Hello.");
    EXPECT_EQ(Say("hello"), "Hello.");

    const std::vector<std::string> keywords = KeywordsFrom(engine.Knowledge(), 44);
    EXPECT_TRUE(keywords == std::vector<std::string>(
                                {"!", "", "HELLO", "!", std::string(kTenMegabytes, 'A'), ""}));
}

TEST_F(HostilePhraseTest, NulBytesAreDroppedFromPhrasesAndKeptInReplies) {
    const CaseFigures figures("NUL bytes, 10 MB of them");
    EXPECT_EQ(Say(std::string("\0hel\0lo\0", 8)), "Hello.");
    EXPECT_EQ(Say(std::string(kTenMegabytes, '\0')), kEmptyPhraseText);

    const std::string reply("a\0b", 3);
    Teach("nul", reply);
    EXPECT_EQ(Say("nul"), std::string("A\0b", 3));
}

TEST_F(HostilePhraseTest, BytesAbove127AreDroppedFromPhrasesAndKeptInReplies) {
    const CaseFigures figures("bytes 0x80 to 0xFF");
    std::string high;
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        high += static_cast<char>(byte);
    }
    EXPECT_EQ(Say(high), kEmptyPhraseText);
    EXPECT_EQ(Say(std::string(kTenMegabytes, '\xE9')), kEmptyPhraseText);
    // The accented word loses its accent and the plain hello still counts.
    EXPECT_EQ(Say("h\xE9llo hello"), "Hello.");

    Teach("accent", "\xE9t\xE9 " + high);
    EXPECT_THAT(ResponsesFrom(engine.Knowledge(), 7), ElementsAre("\xE9t\xE9 " + high));
    EXPECT_EQ(Say("accent"), "\xE9t\xE9 " + high);
}

TEST_F(HostilePhraseTest, LoneCarriageReturnsJoinWordsAndNeverReachAReply) {
    const CaseFigures figures("lone CRs, 10 MB of them");
    host.context = false;
    // "hello\rthere" is the one unknown word HELLOTHERE, so the turn learns.
    Say("hello\rthere");
    EXPECT_THAT(ResponsesFrom(engine.Knowledge(), 7), ElementsAre("Hello there"));
    EXPECT_EQ(Say(std::string(kTenMegabytes, '\r')), kEmptyPhraseText);
}

}  // namespace
}  // namespace wobbet::testing
