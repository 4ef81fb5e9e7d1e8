#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace wobbet {

// The built-in records, restored at every start and never written to the knowledge file.
inline constexpr std::size_t kSeedResponseCount = 7;
inline constexpr std::size_t kSeedKeywordCount = 44;

// Replies and keyword groups, paired by position. KeywordTable is the flat run of all groups,
// each closed by an empty entry; "!" opens a group's context section. Entries are only ever
// appended after seeding.
class KnowledgeBase {
public:
    static constexpr std::string_view kContextMarker = "!";
    static constexpr std::string_view kTerminator = "";

    // Replaces whatever the tables hold by the built-in records.
    void LoadSeedTables();

    void AppendResponse(std::string_view reply);
    void AppendKeyword(std::string_view entry);

    std::size_t ResponseCount() const { return responses_.size(); }
    std::string_view Response(std::size_t index) const { return responses_[index]; }
    std::size_t KeywordCount() const { return keywords_.size(); }
    std::string_view Keyword(std::size_t index) const { return keywords_[index]; }

private:
    std::vector<std::string> responses_;
    std::vector<std::string> keywords_;
};

// What the conversation remembers between turns, each phrase in normalised form.
struct ConversationMemory {
    std::string LastInput;
    std::string LastResponse;
    std::int32_t LastResponseWords = 0;
};

}  // namespace wobbet
