#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/knowledge_base.h"
#include "engine/random_generator.h"

namespace wobbet {

// A draw scaled into [0, 1) by the single-precision constant nearest to 1/32767. The product is
// exact in double precision and is used unrounded.
double RandomFraction(RandomGenerator& random);

// The group that wins the scan over the keyword groups, as selection's score needs it.
struct ScanWinner {
    std::int32_t hits = 0;
    float tie = 0.0f;  // stored at 32 bits, which matters at the edges
    std::int32_t index = 0;
};

// Finds the winner of the scan over every keyword group in table order: the most distinct
// primary keywords found in the phrase, ties going to the higher tie value (a draw plus the
// context keywords found in the previous reply), compared at full precision against the stored
// 32-bit value. It draws exactly one number per group, but looks only at the groups that can
// still win and skips the draws of the others; the knowledge base's index names those groups.
class ResponseSelector {
public:
    // Brings the knowledge base's index up to date, which is all it changes there.
    ScanWinner FindWinner(KnowledgeBase& knowledge, std::string_view phrase,
                          std::string_view lastResponse, RandomGenerator& random);

private:
    // A count per group, one byte each while it fits, so that passes over a million groups
    // stay in the caches; the few larger counts take four bytes, kept apart.
    class GroupCounts {
    public:
        // Makes room for counts of groups [0, groups), rounded up to whole blocks of 64.
        void Reserve(std::uint32_t groups);
        std::uint32_t Of(std::uint32_t group) const {
            return bytes_[group] + (group < wide_.size() ? wide_[group] : 0u);
        }
        // Adds one to the group's count and returns the count.
        std::uint32_t Add(std::uint32_t group);
        void Set(std::uint32_t group, std::uint32_t count);
        void Clear(std::uint32_t group) {
            bytes_[group] = 0;
            if (group < wide_.size()) {
                wide_[group] = 0;
            }
        }
        // The byte counts, to count in directly where no count can pass a byte.
        std::span<std::uint8_t> Bytes() { return bytes_; }

    private:
        // A group's count is in one of the two; the other holds zero.
        std::vector<std::uint8_t> bytes_;
        std::vector<std::uint32_t> wide_;
    };

    void ForgetLastScan();
    void Prepare(std::uint32_t groupCount);
    void CountHits(const KnowledgeBase& knowledge, const KeywordIndex& index,
                   std::string_view phrase, std::uint32_t groupCount);
    void CountContextHits(const KnowledgeBase& knowledge, const KeywordIndex& index,
                          std::string_view lastResponse);
    void CountIrregularGroups(const KnowledgeBase& knowledge, const KeywordIndex& index,
                              std::string_view phrase, std::string_view lastResponse);
    std::uint32_t MarkCandidates();

    // Per group, zero except for the groups listed in hitGroups_ and contextGroups_ or, for
    // hits_, the first denseGroupCount_ groups when the phrase's words reached many groups.
    // Counts past the last group, up to a whole block, stay zero.
    GroupCounts hits_;
    GroupCounts contextHits_;
    std::vector<std::uint32_t> hitGroups_;
    std::vector<std::uint32_t> contextGroups_;
    std::uint32_t denseGroupCount_ = 0;
    std::vector<std::uint8_t> blockMost_;  // the most hits of each block of 64 groups
    // One bit per group: the groups with the most hits, and the groups with context hits.
    std::vector<std::uint64_t> candidates_;
    std::vector<std::uint64_t> lifted_;
    std::vector<std::uint32_t> words_;
    std::string seen_;
};

}  // namespace wobbet
