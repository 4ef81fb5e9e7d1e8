#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/knowledge_base.h"

namespace wobbet::testing {

// Tables written as text for test cases: each entry is ended by ';', so "HELLO;!;GOOD;;" holds
// HELLO, the context marker, GOOD and a terminator.
inline std::vector<std::string_view> Entries(std::string_view text) {
    std::vector<std::string_view> entries;
    for (std::size_t end = text.find(';'); end != std::string_view::npos; end = text.find(';')) {
        entries.push_back(text.substr(0, end));
        text.remove_prefix(end + 1);
    }
    return entries;
}

template <typename Texts>
std::string Joined(const Texts& texts) {
    std::string joined;
    for (const auto& text : texts) {
        joined.append(text).push_back(';');
    }
    return joined;
}

// Appends the replies and the keyword entries as they stand, so damaged tables are as easy to
// build as whole records.
inline void Append(KnowledgeBase& knowledge, std::string_view replies, std::string_view keywords) {
    for (std::string_view reply : Entries(replies)) {
        knowledge.AppendResponse(reply);
    }
    for (std::string_view keyword : Entries(keywords)) {
        knowledge.AppendKeyword(keyword);
    }
}

// The replies, then after a '|' the keyword entries, from the first learned ones on.
inline std::string Learned(const KnowledgeBase& knowledge,
                           std::size_t firstReply = kSeedResponseCount,
                           std::size_t firstKeyword = kSeedKeywordCount) {
    std::string text;
    for (std::size_t i = firstReply; i < knowledge.ResponseCount(); ++i) {
        text.append(knowledge.Response(i)).push_back(';');
    }
    text += '|';
    for (std::size_t i = firstKeyword; i < knowledge.KeywordCount(); ++i) {
        text.append(knowledge.Keyword(i)).push_back(';');
    }
    return text;
}

}  // namespace wobbet::testing
