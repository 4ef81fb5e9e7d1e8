// Drives any sequence of turns through the engine and checks after each one that the knowledge
// base stays one the knowledge file can hold and that every Say got exactly one answer; at the
// end, everything learned must come back whole from the knowledge file's bytes.
//
// The input is read as lines: "S<text>" says the text; "T<phrase><TAB><reply>" teaches the pair;
// "X" cancels a Teach; "C1" and "C0" tick and clear Context, "C" toggles it; "R<n>,<n>,..." queues
// the next random draws. Any other line is said whole. Inside a text, a backslash followed by n
// stands for a line break, so pasted multi-line text is reachable too.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

#include "engine/conversation_engine.h"
#include "engine/normalization.h"
#include "storage/knowledge_format.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/support/recording_host.h"

namespace {

using wobbet::ConversationEngine;
using wobbet::KnowledgeBase;
using wobbet::fuzzing::Require;

constexpr std::string_view kEmptyPhraseText =
    "Type something in the text box.  Then click the 'Say' button.";
constexpr std::size_t kMostQueuedDraws = 4096;

// Draws queued by the input first, then the runtime's sequence.
class FuzzRandom : public wobbet::RandomGenerator {
public:
    void Queue(int number) {
        if (queued_.size() < kMostQueuedDraws) {
            queued_.push_back(number % (kMax + 1));
        }
    }
    void Seed(std::uint32_t seed) override { fallback_.Seed(seed); }
    int Next() override {
        if (queued_.empty()) {
            return fallback_.Next();
        }
        const int number = queued_.front();
        queued_.pop_front();
        return number;
    }

private:
    std::deque<int> queued_;
    wobbet::CrtRandom fallback_;
};

std::string DecodeLineBreaks(std::string_view text) {
    std::string decoded;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
            decoded += '\n';
            ++i;
        } else {
            decoded += text[i];
        }
    }
    return decoded;
}

bool IsNormalisedWord(std::string_view entry) {
    for (char c : entry) {
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) {
            return false;
        }
    }
    return !entry.empty();
}

bool IsNormalisedOrEmpty(const std::string& text) {
    if (text.empty()) {
        return true;
    }
    std::string again = text;
    std::int32_t unused = 0;
    wobbet::Normalize(&again, &unused);
    return again == text;
}

class Conversation {
public:
    Conversation() { engine_.Knowledge().LoadSeedTables(); }

    void Run(std::string_view line) {
        const char op = line.empty() ? 'S' : line.front();
        const std::string_view rest = line.empty() ? line : line.substr(1);
        if (op == 'S') {
            Say(DecodeLineBreaks(rest));
        } else if (op == 'T') {
            const std::size_t tab = rest.find('\t');
            Teach(DecodeLineBreaks(rest.substr(0, tab)),
                  tab == std::string_view::npos ? "" : DecodeLineBreaks(rest.substr(tab + 1)));
        } else if (op == 'X') {
            host_.teachDialogs.push_back({});
            engine_.OnTeach();
        } else if (op == 'C') {
            host_.context = rest.empty() ? !host_.context : rest.front() == '1';
        } else if (op == 'R') {
            QueueDraws(rest);
        } else {
            Say(DecodeLineBreaks(line));
        }
        CheckKnowledge();
        CheckMemory();
        host_.calls.clear();
    }

    // Saves the tables as the knowledge file's bytes and loads them after the built-in records.
    void CheckSavedAndReloaded() const {
        const KnowledgeBase& knowledge = engine_.Knowledge();
        std::string bytes;
        Require(wobbet::WriteKnowledge(knowledge, &bytes) == wobbet::WriteOutcome::kComplete,
                "learned records are written whole");
        KnowledgeBase reloaded;
        reloaded.LoadSeedTables();
        Require(wobbet::ReadKnowledge(bytes, reloaded) == wobbet::ReadOutcome::kComplete,
                "the written file reads back without a stop");
        Require(reloaded.ResponseCount() == knowledge.ResponseCount() &&
                    reloaded.KeywordCount() == knowledge.KeywordCount(),
                "the reloaded tables have the same sizes");
        for (std::size_t i = 0; i < knowledge.ResponseCount(); ++i) {
            Require(reloaded.Response(i) == knowledge.Response(i), "every reply comes back");
        }
        for (std::size_t i = 0; i < knowledge.KeywordCount(); ++i) {
            Require(reloaded.Keyword(i) == knowledge.Keyword(i), "every keyword comes back");
        }
    }

private:
    void Say(std::string text) {
        host_.inputs.push_back(std::move(text));
        engine_.OnSay();
        std::size_t displays = 0;
        for (const std::string& call : host_.calls) {
            Require(call.rfind("ShowMessage", 0) != 0, "a Say shows no message box");
            if (call.rfind("Display ", 0) == 0) {
                ++displays;
                const std::string_view shown = std::string_view(call).substr(8);
                Require(shown == kEmptyPhraseText || IsReply(shown),
                        "a Say answers with the instruction or a known reply");
            }
        }
        Require(displays == 1, "a Say displays exactly one answer");
    }

    void Teach(std::string phrase, std::string reply) {
        const bool stores = !reply.empty();
        host_.teachDialogs.push_back({wobbet::TeachDialogResult::kOk, phrase, reply});
        const std::size_t repliesBefore = engine_.Knowledge().ResponseCount();
        engine_.OnTeach();
        Require(engine_.Knowledge().ResponseCount() == repliesBefore + (stores ? 1 : 0),
                "a Teach with a reply stores one record, one without stores none");
        if (stores) {
            Require(!host_.context, "a stored Teach clears Context");
        }
    }

    void QueueDraws(std::string_view numbers) {
        int number = 0;
        for (char c : numbers) {
            if (c >= '0' && c <= '9') {
                number = (number * 10 + (c - '0')) % (wobbet::RandomGenerator::kMax + 1);
            } else {
                random_.Queue(number);
                number = 0;
            }
        }
        random_.Queue(number);
    }

    bool IsReply(std::string_view text) const {
        const KnowledgeBase& knowledge = engine_.Knowledge();
        for (std::size_t i = 0; i < knowledge.ResponseCount(); ++i) {
            if (knowledge.Response(i) == text) {
                return true;
            }
        }
        return false;
    }

    // Only what was appended since the last check is examined, so long inputs stay fast.
    void CheckKnowledge() {
        const KnowledgeBase& knowledge = engine_.Knowledge();
        for (; checkedKeywords_ < knowledge.KeywordCount(); ++checkedKeywords_) {
            const std::string_view entry = knowledge.Keyword(checkedKeywords_);
            if (entry.empty()) {
                ++groups_;
            } else {
                Require(entry == KnowledgeBase::kContextMarker || IsNormalisedWord(entry),
                        "a learned keyword is a normalised word or the context marker");
            }
        }
        for (; checkedReplies_ < knowledge.ResponseCount(); ++checkedReplies_) {
            const std::string_view reply = knowledge.Response(checkedReplies_);
            Require(!reply.empty(), "a learned reply is never empty");
            Require(reply.find_first_of("\r\n") == std::string_view::npos,
                    "a learned reply holds no line break");
        }
        Require(groups_ <= knowledge.ResponseCount(), "never fewer replies than groups");
    }

    void CheckMemory() {
        const wobbet::ConversationMemory& memory = engine_.Memory();
        Require(IsNormalisedOrEmpty(memory.LastInput), "LastInput is a normalised form");
        Require(IsNormalisedOrEmpty(memory.LastResponse), "LastResponse is a normalised form");
        Require(engine_.Mood() >= 0 && engine_.Mood() <= ConversationEngine::kHighestMood,
                "the mood stays within 0 to 2");
    }

    wobbet::testing::RecordingHost host_;
    FuzzRandom random_;
    ConversationEngine engine_{host_, random_};
    std::size_t checkedKeywords_ = wobbet::kSeedKeywordCount;
    std::size_t checkedReplies_ = wobbet::kSeedResponseCount;
    std::size_t groups_ = wobbet::kSeedResponseCount;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    Conversation conversation;
    std::size_t start = 0;
    while (start <= input.size()) {
        const std::size_t end = input.find('\n', start);
        conversation.Run(input.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos) {
            break;
        }
        start = end + 1;
    }
    conversation.CheckSavedAndReloaded();
    return 0;
}
