#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/knowledge_base.h"

namespace wobbet::testing {

// Appends the replies and the keyword entries as they stand. An empty entry closes a group, so
// damaged tables are as easy to build as whole records.
inline void Append(KnowledgeBase& knowledge, const std::vector<std::string_view>& replies,
                   const std::vector<std::string_view>& keywords) {
    for (std::string_view reply : replies) {
        knowledge.AppendResponse(reply);
    }
    for (std::string_view keyword : keywords) {
        knowledge.AppendKeyword(keyword);
    }
}

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
