#pragma once

#include <string>
#include <vector>

#include "engine/knowledge_base.h"

namespace wobbet::testing {

inline std::vector<std::string> ResponsesFrom(const KnowledgeBase& knowledge, std::size_t first) {
    std::vector<std::string> responses;
    for (std::size_t i = first; i < knowledge.ResponseCount(); ++i) {
        responses.emplace_back(knowledge.Response(i));
    }
    return responses;
}

inline std::vector<std::string> KeywordsFrom(const KnowledgeBase& knowledge, std::size_t first) {
    std::vector<std::string> keywords;
    for (std::size_t i = first; i < knowledge.KeywordCount(); ++i) {
        keywords.emplace_back(knowledge.Keyword(i));
    }
    return keywords;
}

}  // namespace wobbet::testing
