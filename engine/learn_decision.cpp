#include "engine/conversation_engine.h"

// The winner of a phrase, and the draw that decides whether it explains enough of the phrase to
// answer without learning.

namespace wobbet {

std::int32_t ConversationEngine::SelectResponse(const std::string& phrase, std::int32_t wordCount,
                                                bool* learn) {
    const ScanWinner winner =
        selector_.FindWinner(knowledge_, phrase, memory_.LastResponse, random_);
    const std::int32_t bestHits = winner.hits;
    const float bestTie = winner.tie;

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
    *learn = RandomFraction(random_) >= static_cast<double>(score);
    return winner.index;
}

}  // namespace wobbet
