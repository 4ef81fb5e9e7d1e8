#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "engine/knowledge_base.h"

namespace wobbet::bench {

// Builds knowledge bases that look like years of learning: replies of 3 to 12 words, keyword
// groups of 1 to 8 words from a vocabulary where a few words are very common and most are rare,
// and one group in ten with a context section. The same seed always gives the same records.
class KnowledgeGenerator {
public:
    static constexpr std::size_t kVocabularySize = 50000;

    explicit KnowledgeGenerator(std::uint64_t seed);

    void AppendRecords(KnowledgeBase* knowledge, std::size_t records);
    // A reply as a user would type it: lower case, first letter capital, full stop.
    std::string Reply();
    // Lower-case words separated by spaces, drawn like keywords.
    std::string Phrase(std::size_t words);
    // The word of the given rank, 0 being the most common, in lower case.
    std::string WordOfRank(std::size_t rank) const;

private:
    std::size_t DrawRank();
    std::size_t DrawBetween(std::size_t lowest, std::size_t highest);

    std::mt19937_64 random_;
    std::vector<std::string> vocabulary_;  // upper case, by rank
    std::vector<double> cumulativeWeight_;
};

}  // namespace wobbet::bench
