#pragma once

#include <bit>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/conversation_host.h"
#include "engine/knowledge_base.h"
#include "engine/random_generator.h"

namespace wobbet::testing {

// The straightforward selection, kept as the reference the indexed one must match exactly: it
// walks every keyword entry in table order, matches each as a plain string against the phrase or
// the previous reply, and draws once per group. It reads the tables only through their public
// interface.
class PlainScanSelection {
public:
    PlainScanSelection(const KnowledgeBase& knowledge, const ConversationMemory& memory,
                       ConversationHost& host, RandomGenerator& random)
        : knowledge_(knowledge), memory_(memory), host_(host), random_(random) {}

    std::int32_t SelectResponse(const std::string& phrase, std::int32_t wordCount, bool* learn) {
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
            const auto contextHits = static_cast<std::int32_t>(bestTie);
            score =
                static_cast<float>((static_cast<double>(contextHits) / memory_.LastResponseWords +
                                    static_cast<double>(bestHits)) /
                                   (static_cast<double>(wordCount) + 1.0));
        } else {
            score =
                static_cast<float>(static_cast<double>(bestHits) / static_cast<double>(wordCount));
        }
        *learn = DrawFraction() >= static_cast<double>(score);
        return bestIndex;
    }

private:
    static bool ContainsWord(std::string_view text, std::string_view word) {
        for (std::size_t at = text.find(word, 1); at != std::string_view::npos;
             at = text.find(word, at + 1)) {
            const std::size_t end = at + word.size();
            if (text[at - 1] == ' ' && end < text.size() && text[end] == ' ') {
                return true;
            }
        }
        return false;
    }

    double DrawFraction() {
        return static_cast<double>(random_.Next()) *
               static_cast<double>(std::bit_cast<float>(0x38000100u));
    }

    const KnowledgeBase& knowledge_;
    const ConversationMemory& memory_;
    ConversationHost& host_;
    RandomGenerator& random_;
};

}  // namespace wobbet::testing
