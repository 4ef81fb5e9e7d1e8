#include "bench/generated_knowledge.h"

#include <algorithm>
#include <string_view>

#include "engine/normalization.h"

namespace wobbet::bench {
namespace {

constexpr std::string_view kConsonants = "BCDFGHJKLMNPRSTVWZ";
constexpr std::string_view kVowels = "AEIOU";

// Syllable words of 2 or 3 syllables, numbered so that each number gives a different word.
std::string SyllableWord(std::size_t number) {
    const std::size_t syllableCount = kConsonants.size() * kVowels.size();
    const std::size_t twoSyllableWords = syllableCount * syllableCount;
    std::size_t syllables = 2;
    if (number >= twoSyllableWords) {
        number -= twoSyllableWords;
        syllables = 3;
    }
    std::string word;
    for (std::size_t i = 0; i < syllables; ++i) {
        const std::size_t syllable = number % syllableCount;
        number /= syllableCount;
        word += kConsonants[syllable / kVowels.size()];
        word += kVowels[syllable % kVowels.size()];
    }
    return word;
}

bool SurvivesNormalisation(const std::string& word) {
    std::string text = word;
    std::int32_t wordCount = 0;
    ByteTextRules().Normalize(&text, &wordCount);
    return wordCount == 1;
}

std::string Lower(std::string word) {
    for (char& c : word) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return word;
}

}  // namespace

KnowledgeGenerator::KnowledgeGenerator(std::uint64_t seed) : random_(seed) {
    vocabulary_.reserve(kVocabularySize);
    for (std::size_t number = 0; vocabulary_.size() < kVocabularySize; ++number) {
        std::string word = SyllableWord(number);
        if (SurvivesNormalisation(word)) {
            vocabulary_.push_back(std::move(word));
        }
    }
    // Zipf's law: the word of rank r is drawn with a weight of 1 / (r + 1).
    cumulativeWeight_.reserve(kVocabularySize);
    double total = 0.0;
    for (std::size_t rank = 0; rank < kVocabularySize; ++rank) {
        total += 1.0 / static_cast<double>(rank + 1);
        cumulativeWeight_.push_back(total);
    }
}

std::size_t KnowledgeGenerator::DrawRank() {
    const double fraction = static_cast<double>(random_() >> 11) * 0x1.0p-53;
    const double weight = fraction * cumulativeWeight_.back();
    const auto found = std::upper_bound(cumulativeWeight_.begin(), cumulativeWeight_.end(), weight);
    return std::min(static_cast<std::size_t>(found - cumulativeWeight_.begin()),
                    kVocabularySize - 1);
}

std::size_t KnowledgeGenerator::DrawBetween(std::size_t lowest, std::size_t highest) {
    return lowest + static_cast<std::size_t>(random_() % (highest - lowest + 1));
}

std::string KnowledgeGenerator::WordOfRank(std::size_t rank) const {
    return Lower(vocabulary_[rank]);
}

std::string KnowledgeGenerator::Phrase(std::size_t words) {
    std::string phrase;
    for (std::size_t i = 0; i < words; ++i) {
        if (i > 0) {
            phrase += ' ';
        }
        phrase += Lower(vocabulary_[DrawRank()]);
    }
    return phrase;
}

std::string KnowledgeGenerator::Reply() {
    std::string reply = Phrase(DrawBetween(3, 12));
    ByteTextRules().Capitalize(&reply);
    reply += '.';
    return reply;
}

void KnowledgeGenerator::AppendRecords(KnowledgeBase* knowledge, std::size_t records) {
    for (std::size_t record = 0; record < records; ++record) {
        knowledge->AppendResponse(Reply());
        for (std::size_t i = DrawBetween(1, 8); i > 0; --i) {
            knowledge->AppendKeyword(vocabulary_[DrawRank()]);
        }
        if (DrawBetween(1, 10) == 1) {
            knowledge->AppendKeyword(KnowledgeBase::kContextMarker);
            for (std::size_t i = DrawBetween(1, 8); i > 0; --i) {
                knowledge->AppendKeyword(vocabulary_[DrawRank()]);
            }
        }
        knowledge->AppendKeyword(KnowledgeBase::kTerminator);
    }
}

}  // namespace wobbet::bench
