#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/keyword_dictionary.h"
#include "engine/keyword_index.h"

namespace wobbet {

// The built-in records, restored at every start and never written to the knowledge file.
inline constexpr std::size_t kSeedResponseCount = 7;
inline constexpr std::size_t kSeedKeywordCount = 44;

// Replies and keyword groups, paired by position. KeywordTable is the flat run of all groups,
// each closed by an empty entry; "!" opens a group's context section. Entries are only ever
// appended after seeding.
//
// Sized for a brain kept for years: replies share one block of text, keyword entries are stored
// as numbers from a dictionary, and the groups are indexed by keyword for selection. A view
// returned by Response or Keyword is valid until the next change to the tables.
class KnowledgeBase {
public:
    KnowledgeBase();

    static constexpr std::string_view kContextMarker = "!";
    static constexpr std::string_view kTerminator = "";

    // Replaces whatever the tables hold by the built-in records.
    void LoadSeedTables();

    void AppendResponse(std::string_view reply);
    void AppendKeyword(std::string_view entry);

    std::size_t ResponseCount() const { return replyEnds_.size(); }
    std::string_view Response(std::size_t index) const {
        const std::size_t begin = index == 0 ? 0 : replyEnds_[index - 1];
        return std::string_view(replyText_).substr(begin, replyEnds_[index] - begin);
    }
    std::size_t KeywordCount() const { return keywordIds_.size() + pendingEnds_.size(); }
    std::string_view Keyword(std::size_t index) const {
        if (index < keywordIds_.size()) {
            return dictionary_.Text(keywordIds_[index]);
        }
        const std::size_t pending = index - keywordIds_.size();
        const std::size_t begin = pending == 0 ? 0 : pendingEnds_[pending - 1];
        return std::string_view(pendingText_).substr(begin, pendingEnds_[pending] - begin);
    }

    // Complete keyword groups: the number of terminators.
    std::size_t GroupCount() const { return groupCount_; }
    const KeywordDictionary& Dictionary() const { return dictionary_; }
    // The keyword index, first brought up to date with the groups completed since.
    const KeywordIndex& Index();

private:
    // Entries wait in a small batch before they get their numbers, which a large dictionary
    // gives much quicker to a batch than to one entry at a time.
    static constexpr std::size_t kPendingLimit = 64;

    void Clear();
    void NumberPending();

    std::string replyText_;
    std::vector<std::size_t> replyEnds_;  // reply i ends at replyEnds_[i] in replyText_
    KeywordDictionary dictionary_;
    std::vector<std::uint32_t> keywordIds_;
    // The entries after keywordIds_, not numbered yet.
    std::string pendingText_;
    std::vector<std::size_t> pendingEnds_;
    std::uint32_t groupCount_ = 0;
    std::size_t groupedEntries_ = 0;  // entries up to and with the last terminator
    KeywordIndex index_;
};

// What the conversation remembers between turns, each phrase in normalised form.
struct ConversationMemory {
    std::string LastInput;
    std::string LastResponse;
    std::int32_t LastResponseWords = 0;
};

}  // namespace wobbet
