#include "engine/keyword_index.h"

#include <algorithm>

namespace wobbet {

KeywordIndex::Groups KeywordIndex::GroupsOf(const Postings& postings, std::uint32_t id) {
    Groups groups;
    if (std::size_t{id} + 1 < postings.start.size()) {
        groups.rebuilt =
            std::span(postings.groups)
                .subspan(postings.start[id], postings.start[id + 1] - postings.start[id]);
    }
    if (const auto recent = postings.recent.find(id); recent != postings.recent.end()) {
        groups.recent = recent->second;
    }
    return groups;
}

bool KeywordIndex::AlreadyInGroup(std::uint32_t id, std::size_t idCount) {
    if (!groupMarked_) {
        const auto holds = [id](const std::vector<std::uint32_t>& ids) {
            return std::find(ids.begin(), ids.end(), id) != ids.end();
        };
        // Groups are short: looking through them beats marking words in a large array.
        if (groupPrimary_.size() + groupContext_.size() < kShortGroup) {
            return holds(groupPrimary_) || holds(groupContext_);
        }
        // A long group: mark what it holds so far, and look further words up by mark. A new
        // mark forgets the previous group's; on wrapping, all are forgotten.
        if (lastMarkOf_.size() < idCount) {
            lastMarkOf_.resize(idCount, 0);
        }
        if (++mark_ == 0) {
            std::fill(lastMarkOf_.begin(), lastMarkOf_.end(), 0);
            mark_ = 1;
        }
        for (const std::vector<std::uint32_t>* ids : {&groupPrimary_, &groupContext_}) {
            for (std::uint32_t held : *ids) {
                lastMarkOf_[held] = mark_;
            }
        }
        groupMarked_ = true;
    }
    return lastMarkOf_[id] == mark_;
}

template <typename OnGroup>
void KeywordIndex::ForEachGroup(std::span<const std::uint32_t> entries, std::size_t begin,
                                std::uint32_t firstGroup, const KeywordDictionary& dictionary,
                                OnGroup onGroup) {
    // Entries the program makes never hold a space; then there is nothing to look up.
    const bool mayHoldSpaces = dictionary.CountContainingSpace() > 0;
    std::uint32_t group = firstGroup;
    std::size_t groupStart = begin;
    bool inContext = false;
    bool irregular = false;
    groupPrimary_.clear();
    groupContext_.clear();
    groupMarked_ = false;
    for (std::size_t position = begin; position < entries.size(); ++position) {
        const std::uint32_t id = entries[position];
        if (id == kTerminatorId) {
            if (irregular) {
                irregularGroups_.push_back({group, groupStart, position});
            } else {
                onGroup(group, groupPrimary_, groupContext_);
            }
            ++group;
            groupStart = position + 1;
            inContext = false;
            irregular = false;
            groupPrimary_.clear();
            groupContext_.clear();
            groupMarked_ = false;
        } else if (id == kContextMarkerId) {
            inContext = true;
        } else if (!AlreadyInGroup(id, dictionary.Size())) {
            (inContext ? groupContext_ : groupPrimary_).push_back(id);
            if (groupMarked_) {
                lastMarkOf_[id] = mark_;
            }
            irregular = irregular || (mayHoldSpaces && dictionary.ContainsSpace(id));
        }
    }
}

void KeywordIndex::CatchUp(std::span<const std::uint32_t> entries, std::uint32_t groupCount,
                           const KeywordDictionary& dictionary) {
    if (groupCount == indexedGroups_) {
        return;
    }
    // Rebuilding costs a pass over every group, so it waits until the groups outside the
    // rebuilt part are a good share of all.
    const std::uint32_t outside = recentGroups_ + (groupCount - indexedGroups_);
    try {
        if (std::size_t{outside} * 4 > groupCount) {
            KeywordIndex rebuilt;
            rebuilt.Rebuild(entries, dictionary);
            *this = std::move(rebuilt);
        } else {
            AddRecent(entries, dictionary);
            recentGroups_ = outside;
        }
    } catch (...) {
        // Half-added groups would count twice; an empty index is rebuilt whole next time.
        *this = KeywordIndex();
        throw;
    }
    indexedEntries_ = entries.size();
    indexedGroups_ = groupCount;
}

void KeywordIndex::Rebuild(std::span<const std::uint32_t> entries,
                           const KeywordDictionary& dictionary) {
    // First count each keyword's groups, then place them.
    const std::size_t ids = dictionary.Size();
    primary_.start.assign(ids + 1, 0);
    context_.start.assign(ids + 1, 0);
    ForEachGroup(entries, 0, 0, dictionary,
                 [this](std::uint32_t, const std::vector<std::uint32_t>& primaryIds,
                        const std::vector<std::uint32_t>& contextIds) {
                     for (std::uint32_t id : primaryIds) {
                         ++primary_.start[id + 1];
                     }
                     for (std::uint32_t id : contextIds) {
                         ++context_.start[id + 1];
                     }
                 });
    for (Postings* postings : {&primary_, &context_}) {
        for (std::size_t id = 0; id < ids; ++id) {
            postings->start[id + 1] += postings->start[id];
        }
        postings->groups.resize(postings->start[ids]);
    }
    // The second pass finds the irregular groups again.
    irregularGroups_.clear();
    std::vector<std::size_t> primaryNext(primary_.start.begin(), primary_.start.end() - 1);
    std::vector<std::size_t> contextNext(context_.start.begin(), context_.start.end() - 1);
    ForEachGroup(entries, 0, 0, dictionary,
                 [&](std::uint32_t group, const std::vector<std::uint32_t>& primaryIds,
                     const std::vector<std::uint32_t>& contextIds) {
                     for (std::uint32_t id : primaryIds) {
                         primary_.groups[primaryNext[id]++] = group;
                     }
                     for (std::uint32_t id : contextIds) {
                         context_.groups[contextNext[id]++] = group;
                     }
                 });
}

void KeywordIndex::AddRecent(std::span<const std::uint32_t> entries,
                             const KeywordDictionary& dictionary) {
    ForEachGroup(entries, indexedEntries_, indexedGroups_, dictionary,
                 [this](std::uint32_t group, const std::vector<std::uint32_t>& primaryIds,
                        const std::vector<std::uint32_t>& contextIds) {
                     for (std::uint32_t id : primaryIds) {
                         primary_.recent[id].push_back(group);
                     }
                     for (std::uint32_t id : contextIds) {
                         context_.recent[id].push_back(group);
                     }
                 });
}

}  // namespace wobbet
