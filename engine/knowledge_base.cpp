#include "engine/knowledge_base.h"

#include <algorithm>
#include <array>
#include <span>

#include "engine/room_for_one.h"

namespace wobbet {
namespace {

constexpr std::array<std::string_view, kSeedResponseCount> SeedResponses = {
    "Hello.",
    "I'm sorry.",
    "Goodbye.",
    "I feel great.",
    "I was written by Zentalo Software.",
    "Quib stands for Query-Understanding Imitation Bot.",
    "What do you want to talk about?",
};

constexpr std::array<std::string_view, kSeedKeywordCount> SeedKeywords = {
    "HELLO",   "HI",      "AFTERNOON", "MORNING",    "EVENING",    "HEY",  "GREETINGS", "",
    "SHUT",    "QUIET",   "STOP",      "SILENCE",    "STUPID",     "DUMB", "IDIOT",     "",
    "BYE",     "GOODBYE", "CYA",       "QUIT",       "LEAVE",      "EXIT", "AWAY",      "",
    "HOW",     "TODAY",   "FEELING",   "FEEL",       "GOING",      "",     "WHO",       "WROTE",
    "CREATED", "MADE",    "CREATOR",   "PROGRAMMED", "PROGRAMMER", "",     "WHAT",      "QUIB",
    "STAND",   "ACRONYM", "",          "",
};

}  // namespace

KnowledgeBase::KnowledgeBase() {
    Clear();
}

void KnowledgeBase::Clear() {
    replyText_ = {};
    replyEnds_ = {};
    dictionary_.Clear();
    keywordIds_ = {};
    pendingText_ = {};
    pendingEnds_ = {};
    groupCount_ = 0;
    groupedEntries_ = 0;
    index_.Clear();
    // The index knows the terminator and the marker by these numbers.
    dictionary_.Intern(kTerminator);
    dictionary_.Intern(kContextMarker);
}

void KnowledgeBase::LoadSeedTables() {
    Clear();
    for (std::string_view entry : SeedKeywords) {
        AppendKeyword(entry);
    }
    for (std::string_view reply : SeedResponses) {
        AppendResponse(reply);
    }
}

void KnowledgeBase::AppendResponse(std::string_view reply) {
    // Room first, so that a failure appends nothing.
    MakeRoomForOne(&replyEnds_);
    replyText_.append(reply);
    replyEnds_.push_back(replyText_.size());
}

void KnowledgeBase::AppendKeyword(std::string_view entry) {
    if (pendingEnds_.size() == kPendingLimit) {
        NumberPending();
    }
    // Room first, so that a failure appends nothing.
    pendingEnds_.reserve(kPendingLimit);
    pendingText_.append(entry);
    pendingEnds_.push_back(pendingText_.size());
    if (entry == kTerminator) {
        ++groupCount_;
        groupedEntries_ = KeywordCount();
    }
}

void KnowledgeBase::NumberPending() {
    std::array<std::string_view, kPendingLimit> entries;
    for (std::size_t i = 0; i < pendingEnds_.size(); ++i) {
        entries[i] = Keyword(keywordIds_.size() + i);
    }
    const std::size_t numbered = keywordIds_.size();
    if (keywordIds_.capacity() - numbered < pendingEnds_.size()) {
        keywordIds_.reserve(std::max(numbered * 2, numbered + pendingEnds_.size()));
    }
    std::array<std::uint32_t, kPendingLimit> ids;
    dictionary_.InternAll(std::span(entries).first(pendingEnds_.size()), ids.data());
    keywordIds_.insert(keywordIds_.end(), ids.begin(), ids.begin() + pendingEnds_.size());
    pendingText_.clear();
    pendingEnds_.clear();
}

const KeywordIndex& KnowledgeBase::Index() {
    NumberPending();
    index_.CatchUp(std::span(keywordIds_).first(groupedEntries_), groupCount_, dictionary_);
    return index_;
}

}  // namespace wobbet
