#include "engine/response_selector.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace wobbet {
namespace {

const float kFraction = std::bit_cast<float>(0x38000100u);

// Whether text holds the word with a space on each side.
bool ContainsWord(std::string_view text, std::string_view word) {
    for (std::size_t at = text.find(word, 1); at != std::string_view::npos;
         at = text.find(word, at + 1)) {
        const std::size_t end = at + word.size();
        if (text[at - 1] == ' ' && end < text.size() && text[end] == ' ') {
            return true;
        }
    }
    return false;
}

// The context score that adding 1.0f per context hit gives: exact up to 2^24, where adding one
// more no longer changes a float.
float ContextScoreOf(std::uint32_t contextHits) {
    constexpr std::uint32_t kLargestExact = 1u << 24;
    return static_cast<float>(std::min(contextHits, kLargestExact));
}

// The distinct dictionary numbers of the words of text that have a space on each side. An entry
// without spaces is found in text exactly when it is one of these words.
void CollectKnownWords(std::string_view text, const KeywordDictionary& dictionary,
                       std::vector<std::uint32_t>* ids) {
    ids->clear();
    std::size_t start = 0;
    while (start < text.size()) {
        if (text[start] == ' ') {
            ++start;
            continue;
        }
        const std::size_t end = text.find(' ', start);
        if (end == std::string_view::npos) {
            break;
        }
        if (start > 0) {
            const std::uint32_t id = dictionary.Find(text.substr(start, end - start));
            if (id != KeywordDictionary::kNotFound) {
                ids->push_back(id);
            }
        }
        start = end;
    }
    std::sort(ids->begin(), ids->end());
    ids->erase(std::unique(ids->begin(), ids->end()), ids->end());
}

// The counts of a block of 64 groups, one byte each.
constexpr std::size_t kBlock = 64;
using CountBlock = std::span<const std::uint8_t, kBlock>;

// Eight counts as one word, the first in the lowest byte.
std::uint64_t EightCounts(const std::uint8_t* counts) {
    std::uint64_t eight = 0;
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(&eight, counts, sizeof eight);
    } else {
        for (std::size_t byte = 0; byte < 8; ++byte) {
            eight |= std::uint64_t{counts[byte]} << (8 * byte);
        }
    }
    return eight;
}

// A fixed number of counts, so that the compiler can take them many at a time.
std::uint8_t MostOf(CountBlock counts) {
    std::uint8_t most = 0;
    for (const std::uint8_t count : counts) {
        most = std::max(most, count);
    }
    return most;
}

// One bit per count, set where the count equals `value`: bit i for counts[i].
std::uint64_t BitsEqualTo(CountBlock counts, std::uint8_t value) {
    constexpr std::uint64_t kLowBits = 0x7F7F7F7F7F7F7F7Fu;
    constexpr std::uint64_t kEachByte = 0x0101010101010101u;
    // Carries every byte's top bit to the top byte, each to its own place.
    constexpr std::uint64_t kGather = 0x0102040810204080u;
    std::uint64_t bits = 0;
    for (std::size_t first = 0; first < kBlock; first += 8) {
        // A byte of `differs` is zero exactly where the count equals value: then its top bit
        // is set below, and only then.
        const std::uint64_t differs = EightCounts(counts.data() + first) ^ (kEachByte * value);
        const std::uint64_t equal = ~(((differs & kLowBits) + kLowBits) | differs | kLowBits);
        bits |= (((equal >> 7) * kGather) >> 56) << first;
    }
    return bits;
}

void SetBit(std::vector<std::uint64_t>* bits, std::uint32_t index) {
    (*bits)[index >> 6] |= std::uint64_t{1} << (index & 63);
}

// The first index from `from` on whose bit wordAt gives set, or `limit`.
template <typename WordAt>
std::uint32_t NextSetBit(WordAt wordAt, std::uint32_t from, std::uint32_t limit) {
    if (from >= limit) {
        return limit;
    }
    std::size_t word = from >> 6;
    const std::size_t wordCount = (std::size_t{limit} + 63) >> 6;
    std::uint64_t bits = wordAt(word) & (~std::uint64_t{0} << (from & 63));
    while (bits == 0) {
        if (++word == wordCount) {
            return limit;
        }
        bits = wordAt(word);
    }
    const std::size_t found = word * 64 + static_cast<std::size_t>(std::countr_zero(bits));
    return static_cast<std::uint32_t>(std::min<std::size_t>(found, limit));
}

// The scan's running winner, offered the groups in table order.
class Winner {
public:
    explicit Winner(std::uint32_t mostHits) : mostHits_(mostHits) {}

    void Offer(double tie, std::uint32_t group) {
        const auto hits = static_cast<std::int32_t>(mostHits_);
        if (hits > best_.hits || (hits == best_.hits && tie > static_cast<double>(best_.tie))) {
            best_ = {hits, static_cast<float>(tie), static_cast<std::int32_t>(group)};
        }
    }
    // Whether no later group with the most hits and this context score can win any more: its
    // tie value stays below contextScore + 1, which the stored one has reached.
    bool CannotBeBeaten(float contextScore) const {
        return best_.hits == static_cast<std::int32_t>(mostHits_) &&
               static_cast<double>(best_.tie) >= static_cast<double>(contextScore) + 1.0;
    }
    const ScanWinner& Best() const { return best_; }

private:
    std::uint32_t mostHits_;
    ScanWinner best_;
};

}  // namespace

void ResponseSelector::GroupCounts::Reserve(std::uint32_t groups) {
    const std::size_t blocks = (std::size_t{groups} + kBlock - 1) / kBlock;
    if (bytes_.size() < blocks * kBlock) {
        bytes_.resize(blocks * kBlock, 0);
    }
}

inline std::uint32_t ResponseSelector::GroupCounts::Add(std::uint32_t group) {
    if (group < wide_.size() && wide_[group] != 0) {
        return ++wide_[group];
    }
    if (bytes_[group] < UINT8_MAX) {
        return ++bytes_[group];
    }
    Set(group, std::uint32_t{UINT8_MAX} + 1);
    return std::uint32_t{UINT8_MAX} + 1;
}

void ResponseSelector::GroupCounts::Set(std::uint32_t group, std::uint32_t count) {
    if (count <= UINT8_MAX) {
        bytes_[group] = static_cast<std::uint8_t>(count);
        return;
    }
    if (wide_.size() < bytes_.size()) {
        wide_.resize(bytes_.size(), 0);
    }
    bytes_[group] = 0;
    wide_[group] = count;
}

double RandomFraction(RandomGenerator& random) {
    return static_cast<double>(random.Next()) * static_cast<double>(kFraction);
}

void ResponseSelector::ForgetLastScan() {
    if (denseGroupCount_ > 0) {
        std::fill_n(hits_.Bytes().begin(), denseGroupCount_, 0);
        std::fill_n(candidates_.begin(), (std::size_t{denseGroupCount_} + 63) / 64, 0);
        denseGroupCount_ = 0;
    }
    for (std::uint32_t group : hitGroups_) {
        hits_.Clear(group);
        candidates_[group >> 6] = 0;
    }
    for (std::uint32_t group : contextGroups_) {
        contextHits_.Clear(group);
        lifted_[group >> 6] = 0;
    }
    hitGroups_.clear();
    contextGroups_.clear();
}

void ResponseSelector::Prepare(std::uint32_t groupCount) {
    ForgetLastScan();
    hits_.Reserve(groupCount);
    contextHits_.Reserve(groupCount);
    blockMost_.resize(std::max(blockMost_.size(), (std::size_t{groupCount} + kBlock - 1) / kBlock));
    candidates_.resize(std::max(candidates_.size(), (std::size_t{groupCount} + 63) / 64), 0);
    lifted_.resize(candidates_.size(), 0);
}

void ResponseSelector::CountHits(const KnowledgeBase& knowledge, const KeywordIndex& index,
                                 std::string_view phrase, std::uint32_t groupCount) {
    CollectKnownWords(phrase, knowledge.Dictionary(), &words_);
    std::size_t hitCount = 0;
    for (std::uint32_t id : words_) {
        const KeywordIndex::Groups groups = index.PrimaryGroups(id);
        hitCount += groups.rebuilt.size() + groups.recent.size();
    }
    // Common words reach a good share of all groups: then counting without noting which groups
    // were reached, and going over all of them afterwards, is quicker. A group counts each word
    // once, so a byte holds its count while the phrase has fewer known words than a byte holds.
    if (hitCount > groupCount / 8 && words_.size() <= UINT8_MAX) {
        denseGroupCount_ = groupCount;
    }
    const std::span<std::uint8_t> counts = hits_.Bytes();
    for (std::uint32_t id : words_) {
        const KeywordIndex::Groups groups = index.PrimaryGroups(id);
        if (denseGroupCount_ > 0) {
            const auto count = [counts](std::uint32_t group) { ++counts[group]; };
            groups.rebuilt.ForEach(count);
            std::for_each(groups.recent.begin(), groups.recent.end(), count);
        } else {
            const auto count = [this](std::uint32_t group) {
                if (hits_.Add(group) == 1) {
                    hitGroups_.push_back(group);
                }
            };
            groups.rebuilt.ForEach(count);
            std::for_each(groups.recent.begin(), groups.recent.end(), count);
        }
    }
}

void ResponseSelector::CountContextHits(const KnowledgeBase& knowledge, const KeywordIndex& index,
                                        std::string_view lastResponse) {
    CollectKnownWords(lastResponse, knowledge.Dictionary(), &words_);
    for (std::uint32_t id : words_) {
        const KeywordIndex::Groups groups = index.ContextGroups(id);
        const auto count = [this](std::uint32_t group) {
            if (contextHits_.Add(group) == 1) {
                contextGroups_.push_back(group);
            }
        };
        groups.rebuilt.ForEach(count);
        std::for_each(groups.recent.begin(), groups.recent.end(), count);
    }
}

void ResponseSelector::CountIrregularGroups(const KnowledgeBase& knowledge,
                                            const KeywordIndex& index, std::string_view phrase,
                                            std::string_view lastResponse) {
    // Entry by entry, with the list of the group's earlier keywords framed by spaces.
    for (const KeywordIndex::IrregularGroup& irregular : index.IrregularGroups()) {
        std::uint32_t hits = 0;
        std::uint32_t contextHits = 0;
        bool inContext = false;
        seen_ = " ";
        for (std::size_t position = irregular.firstEntry; position < irregular.terminatorEntry;
             ++position) {
            const std::string_view entry = knowledge.Keyword(position);
            if (entry == KnowledgeBase::kContextMarker) {
                inContext = true;
            } else if (!ContainsWord(seen_, entry)) {
                if (inContext) {
                    contextHits += ContainsWord(lastResponse, entry) ? 1u : 0u;
                } else {
                    hits += ContainsWord(phrase, entry) ? 1u : 0u;
                }
                seen_ += entry;
                seen_ += ' ';
            }
        }
        if (hits > 0) {
            hitGroups_.push_back(irregular.group);
            hits_.Set(irregular.group, hits);
        }
        if (contextHits > 0) {
            contextGroups_.push_back(irregular.group);
            contextHits_.Set(irregular.group, contextHits);
        }
    }
}

std::uint32_t ResponseSelector::MarkCandidates() {
    // Counted groups are taken a block at a time; the last block ends in counts of no group,
    // which stay zero. Only blocks that hold the most hits are looked at again.
    const std::size_t blocks = (std::size_t{denseGroupCount_} + kBlock - 1) / kBlock;
    const auto block = [this](std::size_t number) {
        return CountBlock(hits_.Bytes().data() + number * kBlock, kBlock);
    };
    std::uint8_t mostCounted = 0;
    for (std::size_t number = 0; number < blocks; ++number) {
        blockMost_[number] = MostOf(block(number));
        mostCounted = std::max(mostCounted, blockMost_[number]);
    }
    std::uint32_t mostHits = mostCounted;
    for (std::uint32_t group : hitGroups_) {
        mostHits = std::max(mostHits, hits_.Of(group));
    }
    // Irregular groups may have more hits than a byte holds; then no counted group has the most.
    if (mostHits > 0 && mostHits == mostCounted) {
        for (std::size_t number = 0; number < blocks; ++number) {
            if (blockMost_[number] == mostCounted) {
                candidates_[number] = BitsEqualTo(block(number), mostCounted);
            }
        }
    }
    for (std::uint32_t group : hitGroups_) {
        if (hits_.Of(group) == mostHits) {
            SetBit(&candidates_, group);
        }
    }
    for (std::uint32_t group : contextGroups_) {
        SetBit(&lifted_, group);
    }
    return mostHits;
}

ScanWinner ResponseSelector::FindWinner(KnowledgeBase& knowledge, std::string_view phrase,
                                        std::string_view lastResponse, RandomGenerator& random) {
    const KeywordIndex& index = knowledge.Index();
    const auto groupCount = static_cast<std::uint32_t>(knowledge.GroupCount());
    Prepare(groupCount);
    CountHits(knowledge, index, phrase, groupCount);
    CountContextHits(knowledge, index, lastResponse);
    CountIrregularGroups(knowledge, index, phrase, lastResponse);
    // Only groups with the most hits can win: the first of them beats every group before it
    // and no later group with fewer hits beats it. Without hits anywhere, every group can.
    const std::uint32_t mostHits = MarkCandidates();
    auto candidateWord = [&](std::size_t word) {
        return mostHits == 0 ? ~std::uint64_t{0} : candidates_[word];
    };
    auto liftedCandidateWord = [&](std::size_t word) {
        return candidateWord(word) & lifted_[word];
    };

    Winner winner(mostHits);
    std::uint32_t drawn = 0;
    auto offer = [&](std::uint32_t group) {
        const float contextScore = ContextScoreOf(contextHits_.Of(group));
        if (winner.CannotBeBeaten(contextScore)) {
            return;
        }
        if (group > drawn) {
            random.Discard(group - drawn);
        }
        winner.Offer(RandomFraction(random) + static_cast<double>(contextScore), group);
        drawn = group + 1;
    };
    // Candidates without context hits have tie values below 1; once the stored tie value
    // reaches 1 only candidates with context hits remain to be looked at.
    std::uint32_t group = NextSetBit(candidateWord, 0, groupCount);
    for (; group < groupCount && !winner.CannotBeBeaten(0.0f);
         group = NextSetBit(candidateWord, group + 1, groupCount)) {
        offer(group);
    }
    for (group = NextSetBit(liftedCandidateWord, group, groupCount); group < groupCount;
         group = NextSetBit(liftedCandidateWord, group + 1, groupCount)) {
        offer(group);
    }
    random.Discard(groupCount - drawn);
    return winner.Best();
}

}  // namespace wobbet
