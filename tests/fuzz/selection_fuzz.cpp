// The indexed selection against the plain scan, the reference it must match exactly: any
// knowledge base (damaged ones and entries that are not single upper-case words included),
// grown between selections so that the index must catch up, any memory, Context state and
// draws. Both must pick the same record, make the same learn decision and use the same draws.
//
// The input is a program of one-byte operations, each followed by its operands (see Run).
#include <array>
#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>

#include "engine/conversation_engine.h"
#include "engine/normalization.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/support/plain_scan_selection.h"
#include "tests/support/recording_host.h"

namespace {

using wobbet::KnowledgeBase;
using wobbet::RandomGenerator;
using wobbet::fuzzing::Require;

// Single words, and entries as an edited knowledge file can hold them.
constexpr std::array<std::string_view, 16> kEntries = {
    "CAT", "DOG", "EMU",  "FOX",      "GNU",     "HEN",  "YAK",  "OWL",
    "cat", "Dog", " CAT", "DOG  EMU", "CAT DOG", "FOX ", "EMU!", "HELLO"};
// Draws at the edges of the tie rule, the top one rounding up when stored at 32 bits.
constexpr std::array<int, 6> kEdgeDraws = {0, 1, 16383, 16384, 32766, RandomGenerator::kMax};

// Edge draws chosen by a seeded sequence, or the runtime's own generator, which jumps ahead.
class FuzzRandom final : public RandomGenerator {
public:
    FuzzRandom(bool edges, std::uint32_t seed) : edges_(edges), choices_(seed) { crt_.Seed(seed); }
    void Seed(std::uint32_t seed) override { crt_.Seed(seed); }
    int Next() override {
        ++draws_;
        return edges_ ? kEdgeDraws[choices_() % kEdgeDraws.size()] : crt_.Next();
    }
    void Discard(std::uint64_t count) override {
        if (edges_) {
            RandomGenerator::Discard(count);
        } else {
            draws_ += count;
            crt_.Discard(count);
        }
    }
    std::uint64_t Draws() const { return draws_; }

private:
    bool edges_;
    std::minstd_rand choices_;
    wobbet::CrtRandom crt_;
    std::uint64_t draws_ = 0;
};

// Hands every call to the generator of the selection under way, so one engine, with its index
// and its selector's state, serves every selection of the input.
class ForwardingRandom final : public RandomGenerator {
public:
    void Use(RandomGenerator* inner) { inner_ = inner; }
    void Seed(std::uint32_t seed) override { inner_->Seed(seed); }
    int Next() override { return inner_->Next(); }
    void Discard(std::uint64_t count) override { inner_->Discard(count); }

private:
    RandomGenerator* inner_ = nullptr;
};

class Program {
public:
    Program(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    void Run() {
        engine_.Knowledge().LoadSeedTables();
        while (at_ < size_) {
            switch (Byte() % 10) {
                case 0:
                    engine_.Knowledge().AppendResponse("Reply " + std::to_string(Byte()));
                    break;
                case 1:
                    engine_.Knowledge().AppendKeyword(kEntries[Byte() % kEntries.size()]);
                    break;
                case 2:
                    engine_.Knowledge().AppendKeyword(KnowledgeBase::kTerminator);
                    break;
                case 3:
                    engine_.Knowledge().AppendKeyword(KnowledgeBase::kContextMarker);
                    break;
                case 4:
                    AppendRawEntry();
                    break;
                case 5:
                    Remember();
                    break;
                case 6:
                    host_.context = (Byte() & 1) != 0;
                    break;
                case 7:
                    engine_.Learn("learned " + std::to_string(Byte()));
                    break;
                case 8:
                    CompareSelections();
                    break;
                default:
                    // Tables that do not start with the built-in records, now and then.
                    engine_.Knowledge() = KnowledgeBase();
                    if ((Byte() & 1) != 0) {
                        engine_.Knowledge().LoadSeedTables();
                    }
                    break;
            }
        }
        CompareSelections();
    }

private:
    std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }

    // Any bytes, spaces and upper-case letters included; never empty, as that is a terminator.
    void AppendRawEntry() {
        std::string entry;
        for (std::size_t length = Byte() % 8 + 1; length > 0; --length) {
            entry += static_cast<char>(Byte());
        }
        engine_.Knowledge().AppendKeyword(entry);
    }

    // Some words of the vocabulary, as they would be typed.
    std::string Words() {
        std::string text;
        for (std::size_t count = Byte() % 6; count > 0; --count) {
            text += kEntries[Byte() % kEntries.size()];
            text += ' ';
        }
        return text;
    }

    void Remember() {
        std::string lastResponse = Words();
        std::string lastInput = Words();
        wobbet::ConversationMemory& memory = engine_.Memory();
        wobbet::Normalize(&lastResponse, &memory.LastResponseWords);
        std::int32_t unused = 0;
        wobbet::Normalize(&lastInput, &unused);
        memory.LastResponse = lastResponse;
        memory.LastInput = lastInput;
        const std::uint8_t odd = Byte();
        if (odd % 5 == 0) {
            memory.LastResponseWords = odd % 4;
        }
        if (odd % 7 == 0) {
            memory.LastResponse.clear();
        }
    }

    void CompareSelections() {
        std::string phrase = Words();
        std::int32_t wordCount = 0;
        wobbet::Normalize(&phrase, &wordCount);
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
        FuzzRandom fastRandom(edges, seed);
        FuzzRandom plainRandom(edges, seed);
        random_.Use(&fastRandom);
        bool fastLearn = false;
        const std::int32_t fastIndex = engine_.SelectResponse(phrase, wordCount, &fastLearn);
        random_.Use(nullptr);

        bool plainLearn = true;
        wobbet::testing::PlainScanSelection plain(engine_.Knowledge(), engine_.Memory(), host_,
                                                  plainRandom);
        const std::int32_t plainIndex = plain.SelectResponse(phrase, wordCount, &plainLearn);

        Require(fastIndex == plainIndex, "both selections pick the same record");
        Require(fastLearn == plainLearn, "both selections make the same learn decision");
        Require(fastRandom.Draws() == plainRandom.Draws(), "both selections use as many draws");
        Require(fastRandom.Next() == plainRandom.Next(), "both leave the generator alike");
    }

    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
    wobbet::testing::RecordingHost host_;
    ForwardingRandom random_;
    wobbet::ConversationEngine engine_{host_, random_};
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Program(data, size).Run();
    return 0;
}
