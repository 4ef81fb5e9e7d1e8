#include "engine/knowledge_base.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <span>

#include "engine/normalization.h"
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

// Copies with room to spare, so that the next copy of a table grown a little fits.
template <typename Table>
void AssignWithRoom(Table* to, const Table& from) {
    if (to->capacity() < from.size()) {
        to->clear();
        to->reserve(from.size() + from.size() / 8);
    }
    to->assign(from.begin(), from.end());
}

// Room for `more` beyond the size, at least doubling as appending one at a time would, so that
// appending a few records at a time still copies the table rarely.
template <typename Table>
void ReserveMore(Table* table, std::size_t more) {
    if (table->capacity() - table->size() < more) {
        table->reserve(std::max(table->size() + more, table->size() * 2));
    }
}

}  // namespace

KnowledgeBase::KnowledgeBase() {
    Clear();
}

KnowledgeBase::KnowledgeBase(const KnowledgeBase& other) : KnowledgeBase() {
    *this = other;
}

KnowledgeBase& KnowledgeBase::operator=(const KnowledgeBase& other) {
    if (this == &other) {
        return *this;
    }
    // Member by member, so that a snapshot taken again reuses the memory of the last one
    // instead of touching fresh pages.
    try {
        AssignWithRoom(&replyText_, other.replyText_);
        AssignWithRoom(&replyEnds_, other.replyEnds_);
        dictionary_ = other.dictionary_;
        AssignWithRoom(&keywordIds_, other.keywordIds_);
        pendingText_ = other.pendingText_;
        pendingEnds_ = other.pendingEnds_;
        AssignWithRoom(&groupTerminators_, other.groupTerminators_);
        serialRuns_ = other.serialRuns_;
    } catch (...) {
        *this = KnowledgeBase();
        throw;
    }
    groupCount_ = other.groupCount_;
    groupedEntries_ = other.groupedEntries_;
    nextSerial_ = other.nextSerial_;
    index_.Clear();
    return *this;
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
    groupTerminators_ = {};
    // nextSerial_ goes on, so that no serial handed out before names a record again.
    serialRuns_ = {};
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
    if (reply.size() > kPositionLimit - replyText_.size()) {
        throw std::bad_alloc();
    }
    // Room first, so that a failure appends nothing.
    MakeRoomForOne(&replyEnds_);
    const bool runGoesOn =
        !serialRuns_.empty() &&
        serialRuns_.back().firstSerial + (replyEnds_.size() - serialRuns_.back().firstReply) ==
            nextSerial_;
    if (!runGoesOn) {
        MakeRoomForOne(&serialRuns_);
    }
    replyText_.append(reply);
    if (!runGoesOn) {
        serialRuns_.push_back({replyEnds_.size(), nextSerial_});
    }
    replyEnds_.push_back(static_cast<Position>(replyText_.size()));
    ++nextSerial_;
}

void KnowledgeBase::AppendKeyword(std::string_view entry) {
    if (pendingEnds_.size() == kPendingLimit) {
        NumberPending();
    }
    if (KeywordCount() >= kPositionLimit) {
        throw std::bad_alloc();
    }
    // Room first, so that a failure appends nothing.
    pendingEnds_.reserve(kPendingLimit);
    MakeRoomForOne(&groupTerminators_);
    pendingText_.append(entry);
    pendingEnds_.push_back(pendingText_.size());
    if (entry == kTerminator) {
        ++groupCount_;
        groupedEntries_ = KeywordCount();
        groupTerminators_.push_back(static_cast<Position>(groupedEntries_ - 1));
    }
}

void KnowledgeBase::AppendKeywords(std::span<const std::string_view> entries) {
    NumberPending();
    const std::size_t first = keywordIds_.size();
    if (entries.size() > kPositionLimit - first) {
        throw std::bad_alloc();
    }
    const auto terminators = static_cast<std::size_t>(
        std::count_if(entries.begin(), entries.end(),
                      [](std::string_view entry) { return entry == kTerminator; }));
    // Room first, so that a failure appends nothing.
    ReserveMore(&keywordIds_, entries.size());
    ReserveMore(&groupTerminators_, terminators + 1);
    keywordIds_.resize(first + entries.size());
    try {
        dictionary_.InternAll(entries, keywordIds_.data() + first);
    } catch (...) {
        keywordIds_.resize(first);
        throw;
    }
    // Every entry is written as a terminator's position, but only a terminator's is kept: a
    // branch would guess wrong at most terminators.
    const std::size_t before = groupTerminators_.size();
    groupTerminators_.resize(before + terminators + 1);
    Position* terminator = groupTerminators_.data() + before;
    for (std::size_t entry = first; entry < keywordIds_.size(); ++entry) {
        *terminator = static_cast<Position>(entry);
        terminator += keywordIds_[entry] == KeywordIndex::kTerminatorId ? 1 : 0;
    }
    groupTerminators_.pop_back();
    if (terminators > 0) {
        groupCount_ += static_cast<std::uint32_t>(terminators);
        groupedEntries_ = groupTerminators_.back() + std::size_t{1};
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

std::vector<KnowledgeBase::SerialRun>::const_iterator KnowledgeBase::RunOf(
    std::size_t reply) const {
    return std::prev(std::upper_bound(
        serialRuns_.begin(), serialRuns_.end(), reply,
        [](std::size_t index, const SerialRun& run) { return index < run.firstReply; }));
}

std::uint32_t KnowledgeBase::SerialOf(std::size_t index) const {
    const auto run = RunOf(index);
    return run->firstSerial + static_cast<std::uint32_t>(index - run->firstReply);
}

std::optional<std::size_t> KnowledgeBase::FindSerial(std::uint32_t serial) const {
    const auto next = std::upper_bound(
        serialRuns_.begin(), serialRuns_.end(), serial,
        [](std::uint32_t wanted, const SerialRun& run) { return wanted < run.firstSerial; });
    if (next == serialRuns_.begin()) {
        return std::nullopt;
    }
    const auto run = std::prev(next);
    const std::size_t runEnd = next == serialRuns_.end() ? ResponseCount() : next->firstReply;
    const std::size_t reply = run->firstReply + (serial - run->firstSerial);
    if (reply >= runEnd) {
        return std::nullopt;
    }
    return reply;
}

std::size_t KnowledgeBase::RemoveRecords(std::span<const std::size_t> records) {
    std::vector<std::size_t> removed;
    for (std::size_t record : records) {
        if (IsLearnedRecord(record)) {
            removed.push_back(record);
        }
    }
    std::sort(removed.begin(), removed.end());
    removed.erase(std::unique(removed.begin(), removed.end()), removed.end());
    if (removed.empty()) {
        return 0;
    }
    // Room first: each removed reply can split a run in two.
    std::vector<SerialRun> runs;
    runs.reserve(serialRuns_.size() + removed.size());
    NumberPending();
    const std::size_t first = removed.front();
    // Asked of ascending indices, says which are removed.
    const auto removedInOrder = [&removed] {
        return [&removed, next = std::size_t{0}](std::size_t index) mutable {
            if (next < removed.size() && removed[next] == index) {
                ++next;
                return true;
            }
            return false;
        };
    };

    // Everything from the first removed record on moves back over what is removed, replies
    // and groups each in one pass; nothing grows, so nothing can fail.
    std::size_t textWrite = replyEnds_[first - 1];
    std::size_t readBegin = textWrite;
    std::size_t write = first;
    auto replyRemoved = removedInOrder();
    for (std::size_t reply = first; reply < replyEnds_.size(); ++reply) {
        const std::size_t readEnd = replyEnds_[reply];
        if (!replyRemoved(reply)) {
            std::memmove(replyText_.data() + textWrite, replyText_.data() + readBegin,
                         readEnd - readBegin);
            textWrite += readEnd - readBegin;
            replyEnds_[write] = static_cast<Position>(textWrite);
            ++write;
        }
        readBegin = readEnd;
    }
    replyText_.resize(textWrite);
    replyEnds_.resize(write);
    FollowInSerialRuns(removed, std::move(runs));

    std::size_t entryWrite = GroupBegin(first);
    readBegin = entryWrite;
    write = first;
    const auto keepEntries = [&](std::size_t readEnd) {
        std::memmove(keywordIds_.data() + entryWrite, keywordIds_.data() + readBegin,
                     (readEnd - readBegin) * sizeof(std::uint32_t));
        entryWrite += readEnd - readBegin;
    };
    auto groupRemoved = removedInOrder();
    for (std::size_t group = first; group < groupCount_; ++group) {
        const std::size_t readEnd = groupTerminators_[group] + 1;
        if (!groupRemoved(group)) {
            keepEntries(readEnd);
            groupTerminators_[write++] = static_cast<Position>(entryWrite - 1);
        }
        readBegin = readEnd;
    }
    // Entries after the last terminator belong to a group not complete yet.
    keepEntries(keywordIds_.size());
    keywordIds_.resize(entryWrite);
    groupTerminators_.resize(write);
    groupCount_ = static_cast<std::uint32_t>(write);
    groupedEntries_ = write == 0 ? 0 : groupTerminators_.back() + 1;
    FollowInIndex(removed, std::nullopt);
    return removed.size();
}

void KnowledgeBase::Reserve(Extent more, std::size_t replyBytes) {
    ReserveMore(&replyText_, replyBytes);
    ReserveMore(&replyEnds_, more.responses);
    ReserveMore(&keywordIds_, pendingEnds_.size() + more.keywords);
    // Every record closes one group.
    ReserveMore(&groupTerminators_, more.responses);
}

void KnowledgeBase::TruncateTo(Extent extent) noexcept {
    if (extent.responses < replyEnds_.size()) {
        replyText_.resize(extent.responses == 0 ? 0 : replyEnds_[extent.responses - 1]);
        replyEnds_.resize(extent.responses);
        while (!serialRuns_.empty() && serialRuns_.back().firstReply >= extent.responses) {
            serialRuns_.pop_back();
        }
    }
    if (extent.keywords < keywordIds_.size()) {
        keywordIds_.resize(extent.keywords);
        pendingText_.clear();
        pendingEnds_.clear();
    } else if (extent.keywords < KeywordCount()) {
        pendingEnds_.resize(extent.keywords - keywordIds_.size());
        pendingText_.resize(pendingEnds_.empty() ? 0 : pendingEnds_.back());
    }
    while (!groupTerminators_.empty() && groupTerminators_.back() >= extent.keywords) {
        groupTerminators_.pop_back();
    }
    groupCount_ = static_cast<std::uint32_t>(groupTerminators_.size());
    groupedEntries_ = groupTerminators_.empty() ? 0 : groupTerminators_.back() + 1;
    if (index_.IndexedGroups() > groupCount_) {
        index_.Clear();
    }
}

bool KnowledgeBase::ReplaceReply(std::size_t record, std::string reply) {
    ReplaceLineBreaks(&reply);
    if (!IsLearnedRecord(record) || reply.empty()) {
        return false;
    }
    const std::size_t begin = replyEnds_[record - 1];
    const std::size_t oldSize = replyEnds_[record] - begin;
    if (reply.size() > oldSize && reply.size() - oldSize > kPositionLimit - replyText_.size()) {
        throw std::bad_alloc();
    }
    replyText_.replace(begin, oldSize, reply);
    for (std::size_t later = record; later < replyEnds_.size(); ++later) {
        replyEnds_[later] = static_cast<Position>(replyEnds_[later] - oldSize + reply.size());
    }
    return true;
}

bool KnowledgeBase::ReplaceKeywords(std::size_t record, std::optional<std::string> keywords,
                                    std::optional<std::string> contextKeywords,
                                    const TextRules& rules) {
    if (!IsLearnedRecord(record)) {
        return false;
    }
    NumberPending();
    const std::size_t begin = GroupBegin(record);
    const auto groupBegin = keywordIds_.begin() + static_cast<std::ptrdiff_t>(begin);
    const auto groupEnd =
        keywordIds_.begin() + static_cast<std::ptrdiff_t>(groupTerminators_[record]);
    const auto marker = std::find(groupBegin, groupEnd, KeywordIndex::kContextMarkerId);
    std::vector<std::uint32_t> ids;
    const auto appendWords = [this, &ids, &rules](std::string* text) {
        std::int32_t wordCount = 0;
        rules.Normalize(text, &wordCount);
        std::size_t start = 1;
        for (std::size_t end = text->find(' ', start); end != std::string::npos;
             start = end + 1, end = text->find(' ', start)) {
            ids.push_back(dictionary_.Intern(std::string_view(*text).substr(start, end - start)));
        }
        return wordCount > 0;
    };
    if (keywords) {
        appendWords(&*keywords);
    } else {
        ids.insert(ids.end(), groupBegin, marker);
    }
    ids.push_back(KeywordIndex::kContextMarkerId);
    if (contextKeywords) {
        if (!appendWords(&*contextKeywords)) {
            ids.pop_back();
        }
    } else if (marker == groupEnd) {
        ids.pop_back();
    } else {
        ids.insert(ids.end(), marker + 1, groupEnd);
    }
    ids.push_back(KeywordIndex::kTerminatorId);

    const std::size_t oldSize = groupTerminators_[record] + 1 - begin;
    if (ids.size() > oldSize && ids.size() - oldSize > kPositionLimit - keywordIds_.size()) {
        throw std::bad_alloc();
    }
    if (ids.size() > oldSize) {
        keywordIds_.reserve(keywordIds_.size() + ids.size() - oldSize);
    }
    // Room is made first, so that the table changes all or nothing.
    const auto common = static_cast<std::ptrdiff_t>(std::min(oldSize, ids.size()));
    const auto group = keywordIds_.begin() + static_cast<std::ptrdiff_t>(begin);
    std::copy_n(ids.begin(), common, group);
    keywordIds_.insert(
        keywordIds_.erase(group + common, group + static_cast<std::ptrdiff_t>(oldSize)),
        ids.begin() + common, ids.end());
    for (std::size_t later = record; later < groupCount_; ++later) {
        groupTerminators_[later] =
            static_cast<Position>(groupTerminators_[later] - oldSize + ids.size());
    }
    groupedEntries_ = groupedEntries_ - oldSize + ids.size();
    FollowInIndex({}, record);
    return true;
}

void KnowledgeBase::FollowInSerialRuns(std::span<const std::size_t> removed,
                                       std::vector<SerialRun> runs) {
    // Each run loses its removed replies; what is left of it between them runs on, moved back
    // by the replies removed before it.
    std::size_t removedBefore = 0;
    for (auto run = serialRuns_.begin(); run != serialRuns_.end(); ++run) {
        const std::size_t runEnd = std::next(run) == serialRuns_.end()
                                       ? replyEnds_.size() + removed.size()
                                       : std::next(run)->firstReply;
        std::size_t pieceStart = run->firstReply;
        while (pieceStart < runEnd) {
            while (pieceStart < runEnd && removedBefore < removed.size() &&
                   removed[removedBefore] == pieceStart) {
                ++removedBefore;
                ++pieceStart;
            }
            if (pieceStart >= runEnd) {
                break;
            }
            const std::size_t pieceEnd =
                removedBefore < removed.size() ? std::min(runEnd, removed[removedBefore]) : runEnd;
            runs.push_back(
                {pieceStart - removedBefore,
                 run->firstSerial + static_cast<std::uint32_t>(pieceStart - run->firstReply)});
            pieceStart = pieceEnd;
        }
    }
    serialRuns_ = std::move(runs);
}

void KnowledgeBase::FollowInIndex(std::span<const std::size_t> removed,
                                  std::optional<std::size_t> changed) {
    const std::uint32_t indexed = index_.IndexedGroups();
    try {
        std::vector<std::uint32_t> newGroupOf(indexed);
        std::size_t removedBefore = 0;
        for (std::uint32_t group = 0; group < indexed; ++group) {
            if (removedBefore < removed.size() && removed[removedBefore] == group) {
                ++removedBefore;
                newGroupOf[group] = KeywordIndex::kDropped;
            } else {
                newGroupOf[group] = static_cast<std::uint32_t>(group - removedBefore);
            }
        }
        std::vector<std::uint32_t> changedGroups;
        if (changed && *changed < indexed) {
            newGroupOf[*changed] = KeywordIndex::kDropped;
            changedGroups.push_back(static_cast<std::uint32_t>(*changed));
        }
        index_.Renumber(newGroupOf, groupTerminators_, changedGroups,
                        std::span(keywordIds_).first(groupedEntries_), dictionary_);
    } catch (const std::bad_alloc&) {
        index_.Clear();
    }
}

}  // namespace wobbet
