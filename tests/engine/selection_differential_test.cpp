// The indexed selection against the plain scan over the same tables: over many random knowledge
// bases, damaged ones included, phrases, conversation memories, Context states and draws, both
// must pick the same record, make the same learn decision and use the same draws.

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "engine/conversation_engine.h"
#include "engine/normalization.h"
#include "tests/support/plain_scan_selection.h"
#include "tests/support/recording_host.h"

namespace wobbet::testing {
namespace {

// Hands every call to the generator it currently wraps and counts the draws used.
class CountingRandom : public RandomGenerator {
public:
    void Wrap(RandomGenerator* inner) {
        inner_ = inner;
        draws_ = 0;
    }
    void Seed(std::uint32_t seed) override { inner_->Seed(seed); }
    int Next() override {
        ++draws_;
        return inner_->Next();
    }
    void Discard(std::uint64_t count) override {
        draws_ += count;
        inner_->Discard(count);
    }
    std::uint64_t Draws() const { return draws_; }

private:
    RandomGenerator* inner_ = nullptr;
    std::uint64_t draws_ = 0;
};

// Draws only the numbers at the edges of the tie rule: 0 and 32767 (stored as a whole number
// above), equal draws for ties. It cannot jump ahead: skipped draws go through Next.
class EdgeRandom : public RandomGenerator {
public:
    explicit EdgeRandom(std::uint32_t seed) : engine_(seed) {}
    void Seed(std::uint32_t seed) override { engine_.seed(seed); }
    int Next() override {
        static constexpr std::array<int, 6> kEdges = {0, 1, 16383, 16384, 32766, kMax};
        return kEdges[engine_() % kEdges.size()];
    }

private:
    std::mt19937 engine_;
};

// The program's generator, which jumps ahead when draws are skipped.
class SeededCrtRandom : public RandomGenerator {
public:
    explicit SeededCrtRandom(std::uint32_t seed) { crt_.Seed(seed); }
    void Seed(std::uint32_t seed) override { crt_.Seed(seed); }
    int Next() override { return crt_.Next(); }
    void Discard(std::uint64_t count) override { crt_.Discard(count); }

private:
    CrtRandom crt_;
};

constexpr std::array<std::string_view, 8> kWords = {"CAT", "DOG", "EMU", "FOX",
                                                    "GNU", "HEN", "YAK", "OWL"};
// Entries that are not single upper-case words, as an edited knowledge file can hold them.
constexpr std::array<std::string_view, 9> kOddEntries = {
    "cat", "Dog", "CAT DOG", "DOG  EMU", " CAT", "FOX ", "CAT DOG EMU", "EMU!", "HEN YAK"};

class SelectionDifferentialTest : public ::testing::Test {
protected:
    RecordingHost host;
    CountingRandom fastRandom;
    CountingRandom plainRandom;
    ConversationEngine engine{host, fastRandom};
    std::mt19937 random{20240601};

    std::size_t Below(std::size_t limit) { return random() % limit; }
    bool OneIn(std::size_t chances) { return Below(chances) == 0; }

    std::string Entry() {
        if (OneIn(12)) {
            return std::string(kOddEntries[Below(kOddEntries.size())]);
        }
        return std::string(kWords[Below(kWords.size())]);
    }

    // Some words of the vocabulary and now and then one no group holds, as typed.
    std::string Phrase(std::size_t maxWords) {
        std::string phrase;
        for (std::size_t i = Below(maxWords + 1); i > 0; --i) {
            phrase += OneIn(6) ? "zebra" : kWords[Below(kWords.size())];
            phrase += ' ';
        }
        return phrase;
    }

    // A record, or now and then a damaged piece of one: a reply without a group, a group
    // without a reply, a second marker, or entries left without their terminator.
    void AppendRecord(std::size_t maxEntries) {
        if (!OneIn(15)) {
            engine.Knowledge().AppendResponse("Reply " + std::to_string(Below(1000)));
        }
        for (std::size_t i = Below(maxEntries + 1); i > 0; --i) {
            engine.Knowledge().AppendKeyword(OneIn(6) ? std::string(KnowledgeBase::kContextMarker)
                                                      : Entry());
        }
        if (!OneIn(15)) {
            engine.Knowledge().AppendKeyword(KnowledgeBase::kTerminator);
        }
    }

    void LearnRecord() {
        RememberRandomly();
        host.context = OneIn(2);
        engine.Learn("learned " + std::to_string(Below(1000)));
    }

    void RememberRandomly() {
        std::string lastResponse = Phrase(5);
        std::string lastInput = Phrase(4);
        Normalize(&lastResponse, &engine.Memory().LastResponseWords);
        std::int32_t unused = 0;
        Normalize(&lastInput, &unused);
        engine.Memory().LastResponse = OneIn(10) ? "" : lastResponse;
        engine.Memory().LastInput = lastInput;
        if (OneIn(10)) {
            engine.Memory().LastResponseWords = static_cast<std::int32_t>(Below(4));
        }
    }

    std::string Describe(const std::string& phrase) const {
        std::ostringstream text;
        text << "phrase [" << phrase << "] last response [" << engine.Memory().LastResponse
             << "] words " << engine.Memory().LastResponseWords << " context " << host.context
             << "\nkeywords:";
        for (std::size_t i = 0; i < engine.Knowledge().KeywordCount(); ++i) {
            text << " [" << engine.Knowledge().Keyword(i) << "]";
        }
        return text.str();
    }

    // Both selections from generators in the same state, which must be left in the same state.
    template <typename Generator>
    void ExpectSameSelection(const std::string& phrase, std::int32_t wordCount,
                             std::uint32_t seed) {
        Generator fastInner(seed);
        Generator plainInner(seed);
        fastRandom.Wrap(&fastInner);
        plainRandom.Wrap(&plainInner);
        bool fastLearn = false;
        bool plainLearn = true;
        const std::int32_t fastIndex = engine.SelectResponse(phrase, wordCount, &fastLearn);
        PlainScanSelection plain(engine.Knowledge(), engine.Memory(), host, plainRandom);
        const std::int32_t plainIndex = plain.SelectResponse(phrase, wordCount, &plainLearn);
        ASSERT_EQ(fastIndex, plainIndex) << Describe(phrase);
        ASSERT_EQ(fastLearn, plainLearn) << Describe(phrase);
        ASSERT_EQ(fastRandom.Draws(), plainRandom.Draws()) << Describe(phrase);
        ASSERT_EQ(fastInner.Next(), plainInner.Next()) << Describe(phrase);
    }

    // A turn's selection: a typed phrase, or now and then a string that is not in normalised
    // form at all, with either kind of generator.
    void ExpectSameSelectionForRandomTurn() {
        std::string phrase = Phrase(5);
        std::int32_t wordCount = 0;
        Normalize(&phrase, &wordCount);
        if (OneIn(8)) {
            phrase = OneIn(2) ? "CAT DOG" : "  CAT  DOG EMU  FOX";
            wordCount = 2;
        }
        if (wordCount == 0) {
            return;
        }
        host.context = !OneIn(3);
        const auto seed = static_cast<std::uint32_t>(random());
        if (OneIn(2)) {
            ExpectSameSelection<EdgeRandom>(phrase, wordCount, seed);
        } else {
            ExpectSameSelection<SeededCrtRandom>(phrase, wordCount, seed);
        }
    }
};

TEST_F(SelectionDifferentialTest, SmallKnowledgeBasesGrownBetweenTurns) {
    for (int knowledgeBase = 0; knowledgeBase < 400; ++knowledgeBase) {
        engine.Knowledge().LoadSeedTables();
        if (OneIn(4)) {
            // Tables that do not start with the built-in records, as a test may build them.
            engine.Knowledge() = KnowledgeBase();
        }
        for (std::size_t record = Below(40); record > 0; --record) {
            AppendRecord(6);
        }
        for (int turn = 0; turn < 12; ++turn) {
            if (OneIn(3)) {
                OneIn(2) ? LearnRecord() : AppendRecord(6);
            }
            RememberRandomly();
            ExpectSameSelectionForRandomTurn();
            if (HasFatalFailure()) {
                return;
            }
        }
    }
}

TEST_F(SelectionDifferentialTest, LargeKnowledgeBaseWithCommonAndRareWords) {
    // A vocabulary of a few hundred words, some far more common than others, so that some groups
    // share words with thousands of others and some with none.
    std::vector<std::string> vocabulary;
    for (char first = 'B'; first <= 'Z'; ++first) {
        for (char second = 'A'; second <= 'Z'; second += 2) {
            vocabulary.push_back(std::string{first, second, 'X'});
        }
    }
    auto word = [&] {
        const std::size_t rank = std::min(Below(vocabulary.size()), Below(vocabulary.size()));
        return vocabulary[std::min(rank, Below(vocabulary.size()))];
    };
    auto phrase = [&](std::size_t words) {
        std::string text = " ";
        for (std::size_t i = 0; i < words; ++i) {
            text += word() + " ";
        }
        return text;
    };
    engine.Knowledge().LoadSeedTables();
    for (int record = 0; record < 20000; ++record) {
        engine.Knowledge().AppendResponse("Reply.");
        for (std::size_t i = 1 + Below(6); i > 0; --i) {
            engine.Knowledge().AppendKeyword(word());
        }
        if (OneIn(10)) {
            engine.Knowledge().AppendKeyword(KnowledgeBase::kContextMarker);
            for (std::size_t i = 1 + Below(6); i > 0; --i) {
                engine.Knowledge().AppendKeyword(word());
            }
        }
        engine.Knowledge().AppendKeyword(KnowledgeBase::kTerminator);
    }
    for (int turn = 0; turn < 40; ++turn) {
        const std::size_t words = 1 + Below(5);
        engine.Memory().LastResponse = OneIn(4) ? " ZZZ " : phrase(3 + Below(8));
        engine.Memory().LastResponseWords = 5;
        host.context = !OneIn(3);
        const std::string said = OneIn(4) ? " ZZZ QQQ " : phrase(words);
        const auto seed = static_cast<std::uint32_t>(random());
        if (turn % 2 == 0) {
            ExpectSameSelection<SeededCrtRandom>(said, static_cast<std::int32_t>(words), seed);
        } else {
            ExpectSameSelection<EdgeRandom>(said, static_cast<std::int32_t>(words), seed);
        }
        if (HasFatalFailure()) {
            return;
        }
    }
}

TEST_F(SelectionDifferentialTest, LongGroupsThatRepeatTheirWords) {
    // Groups of dozens of entries over a vocabulary of a few dozen words: most words come back
    // within the group, in either section.
    std::vector<std::string> vocabulary;
    for (int i = 0; i < 40; ++i) {
        vocabulary.push_back("V" + std::to_string(i));
    }
    auto phrase = [&](std::size_t words) {
        std::string text = " ";
        for (std::size_t i = 0; i < words; ++i) {
            text += vocabulary[Below(vocabulary.size())] + " ";
        }
        return text;
    };
    for (int record = 0; record < 200; ++record) {
        engine.Knowledge().AppendResponse("Reply.");
        for (std::size_t i = Below(60); i > 0; --i) {
            engine.Knowledge().AppendKeyword(OneIn(20) ? std::string(KnowledgeBase::kContextMarker)
                                                       : vocabulary[Below(vocabulary.size())]);
        }
        engine.Knowledge().AppendKeyword(KnowledgeBase::kTerminator);
    }
    for (int turn = 0; turn < 100; ++turn) {
        const std::size_t words = 1 + Below(12);
        engine.Memory().LastResponse = phrase(Below(20));
        engine.Memory().LastResponseWords = static_cast<std::int32_t>(Below(5));
        host.context = OneIn(2);
        ExpectSameSelection<EdgeRandom>(phrase(words), static_cast<std::int32_t>(words),
                                        static_cast<std::uint32_t>(random()));
        if (HasFatalFailure()) {
            return;
        }
    }
}

TEST_F(SelectionDifferentialTest, ContextScoresBeyondWhatAFloatHoldsToTheDraw) {
    // From 256 context hits on, a 32-bit tie value cannot tell neighbouring draws apart, so the
    // stored value decides ties that the draws alone would not.
    std::vector<std::string> vocabulary;
    std::string lastResponse = " ";
    for (int i = 0; i < 320; ++i) {
        vocabulary.push_back("W" + std::to_string(i));
        lastResponse += vocabulary.back() + " ";
    }
    engine.Memory().LastResponse = lastResponse;
    engine.Memory().LastResponseWords = 320;
    for (int record = 0; record < 30; ++record) {
        engine.Knowledge().AppendResponse("Reply.");
        engine.Knowledge().AppendKeyword("CAT");
        engine.Knowledge().AppendKeyword(KnowledgeBase::kContextMarker);
        const std::size_t contextWords = 250 + Below(4) * (OneIn(2) ? 20 : 1);
        for (std::size_t i = 0; i < contextWords; ++i) {
            engine.Knowledge().AppendKeyword(vocabulary[i]);
        }
        engine.Knowledge().AppendKeyword(KnowledgeBase::kTerminator);
    }
    for (int turn = 0; turn < 40; ++turn) {
        host.context = OneIn(2);
        ExpectSameSelection<EdgeRandom>(OneIn(2) ? " CAT " : " DOG ", 1,
                                        static_cast<std::uint32_t>(random()));
        if (HasFatalFailure()) {
            return;
        }
    }
}

}  // namespace
}  // namespace wobbet::testing
