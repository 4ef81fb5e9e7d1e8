#include "engine/keyword_index.h"

#include <algorithm>
#include <iterator>
#include <utility>

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

void KeywordIndex::RenumberPostings(Postings* postings, std::span<const std::uint32_t> newGroupOf) {
    // Lists keep their order, as groups keep theirs.
    std::size_t write = 0;
    for (std::size_t id = 0; id + 1 < postings->start.size(); ++id) {
        const std::size_t begin = postings->start[id];
        const std::size_t end = postings->start[id + 1];
        postings->start[id] = write;
        for (std::size_t read = begin; read < end; ++read) {
            const std::uint32_t group = newGroupOf[postings->groups[read]];
            if (group != kDropped) {
                postings->groups[write++] = group;
            }
        }
    }
    if (!postings->start.empty()) {
        postings->start.back() = write;
    }
    postings->groups.resize(write);
    for (auto it = postings->recent.begin(); it != postings->recent.end();) {
        std::erase_if(it->second, [&](std::uint32_t& group) {
            group = newGroupOf[group];
            return group == kDropped;
        });
        it = it->second.empty() ? postings->recent.erase(it) : std::next(it);
    }
}

void KeywordIndex::Renumber(std::span<const std::uint32_t> newGroupOf,
                            std::span<const std::uint32_t> terminators,
                            std::span<const std::uint32_t> changedGroups,
                            std::span<const std::uint32_t> entries,
                            const KeywordDictionary& dictionary) {
    try {
        const std::uint32_t rebuiltGroups = indexedGroups_ - recentGroups_;
        std::uint32_t kept = 0;
        std::uint32_t keptRecent = 0;
        for (std::uint32_t group = 0; group < indexedGroups_; ++group) {
            if (newGroupOf[group] != kDropped) {
                ++kept;
                keptRecent += group >= rebuiltGroups ? 1 : 0;
            }
        }
        RenumberPostings(&primary_, newGroupOf);
        RenumberPostings(&context_, newGroupOf);
        std::erase_if(irregularGroups_, [&](IrregularGroup& irregular) {
            irregular.group = newGroupOf[irregular.group];
            return irregular.group == kDropped;
        });
        // Groups changed in place are indexed again as recent ones, each list kept in order.
        for (std::uint32_t changed : changedGroups) {
            const std::size_t begin = changed == 0 ? 0 : terminators[changed - 1] + 1;
            ForEachGroup(
                entries.first(terminators[changed] + 1), begin, changed, dictionary,
                [this](std::uint32_t group, const std::vector<std::uint32_t>& primaryIds,
                       const std::vector<std::uint32_t>& contextIds) {
                    for (auto [postings, ids] :
                         {std::pair(&primary_, &primaryIds), std::pair(&context_, &contextIds)}) {
                        for (std::uint32_t id : *ids) {
                            std::vector<std::uint32_t>& groups = postings->recent[id];
                            groups.insert(std::lower_bound(groups.begin(), groups.end(), group),
                                          group);
                        }
                    }
                });
            ++kept;
            ++keptRecent;
        }
        std::sort(
            irregularGroups_.begin(), irregularGroups_.end(),
            [](const IrregularGroup& a, const IrregularGroup& b) { return a.group < b.group; });
        for (IrregularGroup& irregular : irregularGroups_) {
            irregular.firstEntry = irregular.group == 0 ? 0 : terminators[irregular.group - 1] + 1;
            irregular.terminatorEntry = terminators[irregular.group];
        }
        indexedGroups_ = kept;
        recentGroups_ = keptRecent;
        indexedEntries_ = kept == 0 ? 0 : terminators[kept - 1] + 1;
    } catch (...) {
        *this = KeywordIndex();
        throw;
    }
}

}  // namespace wobbet
