#include <bit>
#include <string_view>

#include "conversation_engine.h"

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

}  // namespace

double ConversationEngine::DrawFraction() {
    // The product is exact in double precision and is used unrounded.
    return static_cast<double>(random_.Next()) * static_cast<double>(kFraction);
}

std::int32_t ConversationEngine::SelectResponse(const std::string& phrase, std::int32_t wordCount,
                                                bool* learn) {
    std::int32_t groupIndex = 0;
    std::int32_t hits = 0;
    float contextScore = 0.0f;
    bool inContext = false;
    std::string seen = " ";
    std::int32_t bestHits = 0;
    float bestTie = 0.0f;
    std::int32_t bestIndex = 0;

    for (std::size_t position = 0; position < knowledge_.KeywordCount(); ++position) {
        const std::string_view entry = knowledge_.Keyword(position);
        if (entry == KnowledgeBase::kContextMarker) {
            inContext = true;
        } else if (entry.empty()) {
            // Compared at full precision, stored at 32 bits: a draw of 32767 can round the stored
            // value up to the next whole number.
            const double tie = DrawFraction() + static_cast<double>(contextScore);
            if (hits > bestHits || (hits == bestHits && tie > static_cast<double>(bestTie))) {
                bestHits = hits;
                bestTie = static_cast<float>(tie);
                bestIndex = groupIndex;
            }
            contextScore = 0.0f;
            inContext = false;
            seen = " ";
            hits = 0;
            ++groupIndex;
        } else if (!ContainsWord(seen, entry)) {
            if (inContext) {
                if (ContainsWord(memory_.LastResponse, entry)) {
                    contextScore += 1.0f;
                }
            } else if (ContainsWord(phrase, entry)) {
                ++hits;
            }
            seen += entry;
            seen += ' ';
        }
    }

    float score = 0.0f;
    if (host_.ContextEnabled() && memory_.LastResponseWords >= 1) {
        // The previous reply counts as one more word of the phrase, covered by the winner's
        // context keywords.
        const auto contextHits = static_cast<std::int32_t>(bestTie);
        score = static_cast<float>((static_cast<double>(contextHits) / memory_.LastResponseWords +
                                    static_cast<double>(bestHits)) /
                                   (static_cast<double>(wordCount) + 1.0));
    } else {
        score = static_cast<float>(static_cast<double>(bestHits) / static_cast<double>(wordCount));
    }
    *learn = DrawFraction() >= static_cast<double>(score);
    return bestIndex;
}

}  // namespace wobbet
