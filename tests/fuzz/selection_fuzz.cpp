// The indexed selection must match the plain scan (record, learn decision and draws) over any
// tables: damaged, grown, curated so that the index must follow, huge, or with hundreds of context
// keywords. The input is a program of one-byte operations (see Run).
#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "engine/conversation_engine.h"
#include "engine/normalization.h"
#include "engine/record_merge.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/support/recording_host.h"

namespace {

using wobbet::KnowledgeBase;
using wobbet::RandomGenerator;
using wobbet::fuzzing::Require;

// Small tables under libFuzzer keep it at hundreds of inputs a second; ctest replays at full size.
#ifdef WOBBET_LIBFUZZER
constexpr std::size_t kRecordBudget = 200, kWideGroupBudget = 2, kLearnedEntryBudget = 1000;
#else
constexpr std::size_t kRecordBudget = 30000, kWideGroupBudget = 1000,
                      kLearnedEntryBudget = SIZE_MAX;
#endif

constexpr std::array<std::string_view, 16> kEntries = {
    "CAT", "DOG", "EMU",  "FOX",      "GNU",     "HEN",  "YAK",  "OWL",
    "cat", "Dog", " CAT", "DOG  EMU", "CAT DOG", "FOX ", "EMU!", "HELLO"};
// Draws at the edges of the tie rule; the top one rounds up when stored at 32 bits.
constexpr std::array<int, 6> kEdgeDraws = {0, 1, 16383, 16384, 32766, RandomGenerator::kMax};

std::string Word(std::uint8_t byte) {
    return byte < 160 ? std::string(kEntries[byte % kEntries.size()])
                      : "W" + std::to_string(byte - 160);
}

// The runtime's generator, which jumps ahead, or edge draws chosen by its numbers.
struct FuzzRandom final : RandomGenerator {
    FuzzRandom(bool edgeDraws, std::uint32_t seed) : edges(edgeDraws) { crt.Seed(seed); }
    void Seed(std::uint32_t seed) override { crt.Seed(seed); }
    int Next() override {
        const int number = crt.Next();
        return edges ? kEdgeDraws[static_cast<std::size_t>(number) % kEdgeDraws.size()] : number;
    }
    void Discard(std::uint64_t count) override { crt.Discard(count); }
    bool edges;
    wobbet::CrtRandom crt;
};

bool ContainsWord(std::string_view text, std::string_view word) {
    for (std::size_t at = text.find(word, 1); at != text.npos; at = text.find(word, at + 1)) {
        if (text[at - 1] == ' ' && at + word.size() < text.size() &&
            text[at + word.size()] == ' ') {
            return true;
        }
    }
    return false;
}

// Every keyword entry in table order, matched as a plain string, and one draw per group.
std::pair<std::int32_t, bool> PlainSelection(const KnowledgeBase& knowledge,
                                             const wobbet::ConversationMemory& memory, bool context,
                                             const std::string& phrase, std::int32_t wordCount,
                                             RandomGenerator& random) {
    const auto draw = [&random] {
        return random.Next() * static_cast<double>(std::bit_cast<float>(0x38000100u));
    };
    std::int32_t group = 0, hits = 0, bestHits = 0, bestIndex = 0;
    float contextScore = 0.0f, bestTie = 0.0f;
    bool inContext = false;
    std::string seen = " ";
    for (std::size_t position = 0; position < knowledge.KeywordCount(); ++position) {
        const std::string_view entry = knowledge.Keyword(position);
        if (entry == KnowledgeBase::kContextMarker) {
            inContext = true;
        } else if (entry.empty()) {
            const double tie = draw() + static_cast<double>(contextScore);
            if (hits > bestHits || (hits == bestHits && tie > static_cast<double>(bestTie))) {
                bestHits = hits;
                bestTie = static_cast<float>(tie);
                bestIndex = group;
            }
            contextScore = 0.0f;
            inContext = false;
            seen = " ";
            hits = 0;
            ++group;
        } else if (!ContainsWord(seen, entry)) {
            if (inContext) {
                contextScore += ContainsWord(memory.LastResponse, entry) ? 1.0f : 0.0f;
            } else {
                hits += ContainsWord(phrase, entry) ? 1 : 0;
            }
            seen.append(entry).push_back(' ');
        }
    }
    const double contextHits = static_cast<std::int32_t>(bestTie);
    const float score =
        context && memory.LastResponseWords >= 1
            ? static_cast<float>((contextHits / memory.LastResponseWords + bestHits) /
                                 (wordCount + 1.0))
            : static_cast<float>(static_cast<double>(bestHits) / wordCount);
    return {bestIndex, draw() >= static_cast<double>(score)};
}

class Program {
public:
    Program(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    void Run() {
        using P = Program;
        static constexpr void (P::*kOperations[])() = {&P::AppendReply,
                                                       &P::AppendEntry,
                                                       &P::Remember,
                                                       &P::ToggleContext,
                                                       &P::Learn,
                                                       &P::CompareSelections,
                                                       &P::Restart,
                                                       &P::AppendManyRecords,
                                                       &P::AppendWideContext,
                                                       &P::Remove,
                                                       &P::Edit,
                                                       &P::Merge};
        knowledge().LoadSeedTables();
        while (at_ < size_) {
            (this->*kOperations[Byte() % std::size(kOperations)])();
        }
        CompareSelections();
    }

private:
    std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    KnowledgeBase& knowledge() { return engine_.Knowledge(); }
    // Any record, built-in, learned or one past the end, reached in one or two bytes.
    std::size_t Record() {
        const std::size_t byte = Byte();
        return (byte < 128 ? byte : (byte - 128) << 8 | Byte()) % (knowledge().RecordCount() + 2);
    }

    // A terminator, the context marker, a few bytes of anything, or a word.
    std::string Entry(std::uint8_t byte) {
        if (byte < 48) {
            return std::string(byte < 32 ? KnowledgeBase::kTerminator
                                         : KnowledgeBase::kContextMarker);
        }
        std::string raw;
        for (std::size_t length = byte < 64 ? std::size_t{byte} % 8 + 1 : 0; length > 0; --length) {
            raw += static_cast<char>(Byte());
        }
        return byte < 64 ? raw : Word(byte);
    }

    std::string Words() {
        std::string text;
        for (std::size_t count = Byte() % 6; count > 0; --count) {
            text += Word(Byte()) + ' ';
        }
        return text;
    }

    void AppendReply() { knowledge().AppendResponse("Reply " + std::to_string(Byte())); }
    void AppendEntry() { knowledge().AppendKeyword(Entry(Byte())); }
    void ToggleContext() { host_.context = !host_.context; }
    void Learn() {
        const std::size_t entries = knowledge().KeywordCount();
        if (learnedEntries_ < kLearnedEntryBudget) {
            engine_.Learn("learned " + std::to_string(Byte()));
        }
        learnedEntries_ += knowledge().KeywordCount() - entries;
    }
    // Tables that do not start with the built-in records, now and then.
    void Restart() {
        knowledge() = KnowledgeBase();
        if ((Byte() & 1) != 0) {
            knowledge().LoadSeedTables();
        }
    }

    // A memory as a turn leaves it, or now and then with a count that does not fit its reply.
    void Remember() {
        wobbet::ConversationMemory& memory = engine_.Memory();
        memory.LastResponse = Words();
        memory.LastInput = Words();
        std::int32_t unused = 0;
        rules_.Normalize(&memory.LastResponse, &memory.LastResponseWords);
        rules_.Normalize(&memory.LastInput, &unused);
        const std::uint8_t odd = Byte();
        memory.LastResponseWords = odd % 5 == 0 ? odd % 4 : memory.LastResponseWords;
        memory.LastResponse.resize(odd % 7 == 0 ? 0 : memory.LastResponse.size());
    }

    // Up to 25,600 records, some sharing words with thousands of others and some with none.
    void AppendManyRecords() {
        const std::size_t records = (Byte() + 1u) * 100u;
        std::mt19937 random(Byte());
        const auto word = [&random] {
            return Word(static_cast<std::uint8_t>(std::min(random() % 256, random() % 256)));
        };
        for (std::size_t record = 0; record < records && built_ < kRecordBudget;
             ++record, ++built_) {
            knowledge().AppendResponse("Reply.");
            for (std::size_t i = 1 + random() % 6; i > 0; --i) {
                knowledge().AppendKeyword(word());
            }
            if (random() % 10 == 0) {
                knowledge().AppendKeyword(KnowledgeBase::kContextMarker);
                for (std::size_t i = 1 + random() % 6; i > 0; --i) {
                    knowledge().AppendKeyword(word());
                }
            }
            knowledge().AppendKeyword(KnowledgeBase::kTerminator);
        }
    }

    // Past 256 context hits a 32-bit tie value cannot tell neighbouring draws apart.
    void AppendWideContext() {
        if (++wideGroups_ > kWideGroupBudget) {
            return;
        }
        knowledge().AppendResponse("Wide.");
        knowledge().AppendKeyword("CAT");
        knowledge().AppendKeyword(KnowledgeBase::kContextMarker);
        for (std::size_t i = 0, count = 240 + Byte() % 50; i < count; ++i) {
            knowledge().AppendKeyword("W" + std::to_string(i));
        }
        knowledge().AppendKeyword(KnowledgeBase::kTerminator);
        engine_.Memory().LastResponse = " ";
        for (int i = 0; i < 320; ++i) {
            engine_.Memory().LastResponse += "W" + std::to_string(i) + " ";
        }
        engine_.Memory().LastResponseWords = 320;
    }

    // Forgets the last lesson, or removes up to four records, repeats and untouchable ones too.
    void Remove() {
        std::vector<std::size_t> records(Byte() % 5);
        for (std::size_t& record : records) {
            record = Record();
        }
        if (records.empty()) {
            engine_.ForgetLastLesson();
        }
        knowledge().RemoveRecords(records);
    }

    void Edit() {
        const std::size_t record = Record();
        (Byte() & 1) != 0 ? knowledge().ReplaceReply(record, Words())
                          : knowledge().ReplaceKeywords(record, Words(), Words(), rules_);
    }

    // Merges copies of a few records, some with their first entry cut so that they are new.
    void Merge() {
        KnowledgeBase other;
        for (std::size_t count = Byte() % 4 + 1; count > 0; --count) {
            const std::size_t record = Record();
            if (record < knowledge().RecordCount()) {
                other.AppendResponse(knowledge().Response(record));
                const std::size_t end = knowledge().GroupTerminator(record);
                for (std::size_t entry = knowledge().GroupBegin(record) + Byte() % 2; entry < end;
                     ++entry) {
                    other.AppendKeyword(knowledge().Keyword(entry));
                }
                other.AppendKeyword(KnowledgeBase::kTerminator);
            }
        }
        wobbet::AppendNewRecords(knowledge(), other);
    }

    void CompareSelections() {
        std::string phrase = Words();
        std::int32_t wordCount = 0;
        rules_.Normalize(&phrase, &wordCount);
        const std::uint8_t form = Byte();
        if (form % 6 == 0) {
            // Not in normalised form at all, with any count.
            phrase = Words();
            wordCount = form % 4 + 1;
        }
        if (wordCount == 0) {
            return;
        }
        const bool edges = (Byte() & 1) != 0;
        const std::uint32_t seed = static_cast<std::uint32_t>(Byte()) << 8 | Byte();
        random_ = FuzzRandom(edges, seed);
        bool learn = false;
        const std::int32_t index = engine_.SelectResponse(phrase, wordCount, &learn);
        FuzzRandom plainRandom(edges, seed);
        const auto [plainIndex, plainLearn] = PlainSelection(
            knowledge(), engine_.Memory(), host_.context, phrase, wordCount, plainRandom);

        Require(index == plainIndex, "both selections pick the same record");
        Require(learn == plainLearn, "both selections make the same learn decision");
        Require(random_.crt.Next() == plainRandom.crt.Next() &&
                    random_.crt.Next() == plainRandom.crt.Next(),
                "both selections use as many draws");
    }

    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
    std::size_t built_ = 0, wideGroups_ = 0, learnedEntries_ = 0;
    wobbet::testing::RecordingHost host_;
    FuzzRandom random_{false, 1};
    wobbet::ByteTextRules rules_;
    wobbet::ConversationEngine engine_{host_, random_, rules_};
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Program(data, size).Run();
    return 0;
}
