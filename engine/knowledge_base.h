#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/keyword_dictionary.h"
#include "engine/keyword_index.h"
#include "engine/text_rules.h"

namespace wobbet {

// The built-in records, restored at every start and never written to the knowledge file.
inline constexpr std::size_t kSeedResponseCount = 7;
inline constexpr std::size_t kSeedKeywordCount = 44;

// Replies and keyword groups, paired by position. KeywordTable is the flat run of all groups,
// each closed by an empty entry; "!" opens a group's context section. A conversation only ever
// appends; curating what was learned removes and edits learned records.
//
// Sized for a brain kept for years: replies share one block of text, keyword entries are stored
// as numbers from a dictionary, and the groups are indexed by keyword for selection. A view
// returned by Response or Keyword is valid until the next change to the tables.
//
// Every reply gets a serial number when it is appended, growing with position and never given
// twice by one object, so that a record can be found again after others were removed.
class KnowledgeBase {
public:
    KnowledgeBase();
    // Copies the tables but not the index, which the copy builds when first asked: a snapshot
    // for saving in the background costs little more than copying the text, and less when it
    // is assigned to the previous snapshot, whose memory it reuses.
    KnowledgeBase(const KnowledgeBase& other);
    KnowledgeBase& operator=(const KnowledgeBase& other);
    KnowledgeBase(KnowledgeBase&&) noexcept = default;
    KnowledgeBase& operator=(KnowledgeBase&&) noexcept = default;

    static constexpr std::string_view kContextMarker = "!";
    static constexpr std::string_view kTerminator = "";

    // Replaces whatever the tables hold by the built-in records.
    void LoadSeedTables();

    void AppendResponse(std::string_view reply);
    void AppendKeyword(std::string_view entry);
    // Appends the entries in order, as AppendKeyword would one by one, numbering them together:
    // much quicker for the many entries of a file. All of them or none are appended.
    void AppendKeywords(std::span<const std::string_view> entries);

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

    // The entry's dictionary number, or KeywordDictionary::kNotFound for the few newest entries
    // that have none yet (Keyword gives their text).
    std::uint32_t KeywordId(std::size_t index) const {
        return index < keywordIds_.size() ? keywordIds_[index] : KeywordDictionary::kNotFound;
    }

    // Complete keyword groups: the number of terminators.
    std::size_t GroupCount() const { return groupCount_; }
    // Records: a reply together with its complete group.
    std::size_t RecordCount() const { return std::min(ResponseCount(), GroupCount()); }
    // Whether the record was learned (not built in) and is complete, so it may be curated.
    bool IsLearnedRecord(std::size_t record) const {
        return record >= kSeedResponseCount && record < RecordCount();
    }
    // Group g holds the entries [GroupBegin(g), GroupTerminator(g)).
    std::size_t GroupBegin(std::size_t group) const {
        return group == 0 ? 0 : groupTerminators_[group - 1] + 1;
    }
    std::size_t GroupTerminator(std::size_t group) const { return groupTerminators_[group]; }
    // The whole reply text: reply i is a view into it.
    std::string_view ReplyText() const { return replyText_; }

    std::uint32_t SerialOf(std::size_t index) const;
    // The reply that was given the serial number, if it is still there.
    std::optional<std::size_t> FindSerial(std::uint32_t serial) const;

    // How far the tables reach, for TruncateTo.
    struct Extent {
        std::size_t responses;
        std::size_t keywords;
    };
    Extent Size() const { return {ResponseCount(), KeywordCount()}; }
    // Room for `more` replies and keyword entries, terminators included, and the replies'
    // bytes, so that appending a known number of records copies each table at most once.
    void Reserve(Extent more, std::size_t replyBytes);
    // Drops every reply and entry appended since the tables had the given extent, so that a
    // change that fails part-way leaves nothing behind. Nothing here can fail.
    void TruncateTo(Extent extent) noexcept;

    // Removes the learned records among the given ones, in one pass over the tables whatever
    // their number; other indices are ignored. Returns how many were removed.
    std::size_t RemoveRecords(std::span<const std::size_t> records);
    // Replaces a learned record's reply, its line breaks made spaces. False, changing nothing,
    // for an empty reply (it would break the file's pairing) or a record that is not learned.
    bool ReplaceReply(std::size_t record, std::string reply);
    // Replaces a learned record's keywords, its context keywords or both by the words of the
    // texts, normalised by the rules as learned ones are; a column given no text keeps its
    // entries exactly as they are. Without context words the group has no context section.
    // False, changing nothing, for a record that is not learned.
    bool ReplaceKeywords(std::size_t record, std::optional<std::string> keywords,
                         std::optional<std::string> contextKeywords, const TextRules& rules);
    const KeywordDictionary& Dictionary() const { return dictionary_; }
    // The keyword index, first brought up to date with the groups completed since.
    const KeywordIndex& Index();

private:
    // Positions in the reply text and in the keyword table take four bytes, a quarter of the
    // tables' bookkeeping; text or entries past what they reach are refused as out of memory.
    using Position = std::uint32_t;
    static constexpr std::size_t kPositionLimit = UINT32_MAX;

    // Serial numbers run on by one from reply to reply, except across a removed reply or a
    // restart of the tables, so they are kept as runs: a million loaded replies make one.
    struct SerialRun {
        std::size_t firstReply;
        std::uint32_t firstSerial;
    };

    // Entries wait in a small batch before they get their numbers, which a large dictionary
    // gives much quicker to a batch than to one entry at a time.
    static constexpr std::size_t kPendingLimit = 64;

    void Clear();
    void NumberPending();
    // The run that holds the reply.
    std::vector<SerialRun>::const_iterator RunOf(std::size_t reply) const;
    // Takes the removed replies (ascending, already gone from replyEnds_) out of the serial
    // runs, building the new ones in runs, which has room for them.
    void FollowInSerialRuns(std::span<const std::size_t> removed, std::vector<SerialRun> runs);
    // Brings the index up to removed groups (ascending) and one changed in place, if any,
    // without rebuilding it; when memory runs out the index is rebuilt when next asked.
    void FollowInIndex(std::span<const std::size_t> removed, std::optional<std::size_t> changed);

    std::string replyText_;
    std::vector<Position> replyEnds_;  // reply i ends at replyEnds_[i] in replyText_
    KeywordDictionary dictionary_;
    std::vector<std::uint32_t> keywordIds_;
    // The entries after keywordIds_, not numbered yet.
    std::string pendingText_;
    std::vector<std::size_t> pendingEnds_;
    std::uint32_t groupCount_ = 0;
    std::size_t groupedEntries_ = 0;          // entries up to and with the last terminator
    std::vector<Position> groupTerminators_;  // the position of each group's terminator
    std::vector<SerialRun> serialRuns_;       // ascending in both; the first starts at reply 0
    std::uint32_t nextSerial_ = 0;
    KeywordIndex index_;
};

// What the conversation remembers between turns, each phrase in normalised form.
struct ConversationMemory {
    std::string LastInput;
    std::string LastResponse;
    std::int32_t LastResponseWords = 0;
};

}  // namespace wobbet
