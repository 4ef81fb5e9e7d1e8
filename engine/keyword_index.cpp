#include "engine/keyword_index.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <utility>

namespace wobbet {

void KeywordIndex::PackedGroups::WriteDistance(std::uint32_t distance, std::uint8_t** at) {
    for (; distance >= 0x80; distance >>= 7) {
        *(*at)++ = static_cast<std::uint8_t>(distance | 0x80);
    }
    *(*at)++ = static_cast<std::uint8_t>(distance);
}

std::size_t KeywordIndex::PackedGroups::DistanceSize(std::uint32_t distance) {
    std::size_t size = 1;
    for (; distance >= 0x80; distance >>= 7) {
        ++size;
    }
    return size;
}

KeywordIndex::Groups KeywordIndex::GroupsOf(const Postings& postings, std::uint32_t id) {
    Groups groups;
    if (id < postings.count.size()) {
        groups.rebuilt =
            PackedGroups(postings.bytes.data() + postings.start[id], postings.count[id]);
    }
    if (const auto recent = postings.recent.find(id); recent != postings.recent.end()) {
        groups.recent = recent->second;
    }
    return groups;
}

void KeywordIndex::NextMark() {
    // On wrapping, every mark is forgotten.
    if (++mark_ == 0) {
        std::fill(lastMarkOf_.begin(), lastMarkOf_.end(), 0);
        mark_ = 1;
    }
}

template <typename OnGroup>
void KeywordIndex::ForEachGroup(std::span<const std::uint32_t> entries, std::size_t begin,
                                std::uint32_t firstGroup, const KeywordDictionary& dictionary,
                                OnGroup onGroup) {
    // Entries the program makes never hold a space; then there is nothing to look up.
    const bool mayHoldSpaces = dictionary.CountContainingSpace() > 0;
    if (lastMarkOf_.size() < dictionary.Size()) {
        lastMarkOf_.resize(dictionary.Size(), 0);
    }
    std::uint32_t group = firstGroup;
    std::size_t groupStart = begin;
    bool inContext = false;
    bool irregular = false;
    groupPrimary_.clear();
    groupContext_.clear();
    NextMark();
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
            NextMark();
        } else if (id == kContextMarkerId) {
            inContext = true;
        } else if (lastMarkOf_[id] != mark_) {
            lastMarkOf_[id] = mark_;
            (inContext ? groupContext_ : groupPrimary_).push_back(id);
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
    // First size each keyword's packed groups, then pack them; both passes follow each keyword's
    // last group in each section, to take the distance from it.
    const std::size_t ids = dictionary.Size();
    std::vector<std::uint32_t> lastPrimary(ids);
    std::vector<std::uint32_t> lastContext(ids);
    const auto forEachPosting = [&](auto onPosting) {
        std::fill(lastPrimary.begin(), lastPrimary.end(), 0);
        std::fill(lastContext.begin(), lastContext.end(), 0);
        irregularGroups_.clear();
        ForEachGroup(entries, 0, 0, dictionary,
                     [&](std::uint32_t group, const std::vector<std::uint32_t>& primaryIds,
                         const std::vector<std::uint32_t>& contextIds) {
                         for (std::uint32_t id : primaryIds) {
                             onPosting(&primary_, id, group - lastPrimary[id]);
                             lastPrimary[id] = group;
                         }
                         for (std::uint32_t id : contextIds) {
                             onPosting(&context_, id, group - lastContext[id]);
                             lastContext[id] = group;
                         }
                     });
    };
    for (Postings* postings : {&primary_, &context_}) {
        postings->start.assign(ids + 1, 0);
        postings->count.assign(ids, 0);
    }
    forEachPosting([](Postings* postings, std::uint32_t id, std::uint32_t distance) {
        postings->start[id + 1] += PackedGroups::DistanceSize(distance);
        ++postings->count[id];
    });
    std::vector<std::uint8_t*> primaryNext(ids);
    std::vector<std::uint8_t*> contextNext(ids);
    for (auto [postings, next] :
         {std::pair(&primary_, &primaryNext), std::pair(&context_, &contextNext)}) {
        for (std::size_t id = 0; id < ids; ++id) {
            postings->start[id + 1] += postings->start[id];
        }
        postings->bytes.resize(postings->start[ids]);
        for (std::size_t id = 0; id < ids; ++id) {
            (*next)[id] = postings->bytes.data() + postings->start[id];
        }
    }
    forEachPosting([&](Postings* postings, std::uint32_t id, std::uint32_t distance) {
        PackedGroups::WriteDistance(distance,
                                    postings == &primary_ ? &primaryNext[id] : &contextNext[id]);
    });
    primary_.last = std::move(lastPrimary);
    context_.last = std::move(lastContext);
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
    // Lists keep their order, as groups keep theirs, and are packed again where they stand: a
    // distance between new numbers is never longer than the ones between the old it replaces.
    // Groups before the first that changes keep their numbers, so their bytes are only moved.
    std::uint32_t firstChanged = 0;
    while (firstChanged < newGroupOf.size() && newGroupOf[firstChanged] == firstChanged) {
        ++firstChanged;
    }
    std::uint8_t* write = postings->bytes.data();
    for (std::size_t id = 0; id < postings->count.size(); ++id) {
        const std::uint8_t* const listStart = postings->bytes.data() + postings->start[id];
        const std::uint8_t* read = listStart;
        postings->start[id] = static_cast<std::size_t>(write - postings->bytes.data());
        std::uint32_t group = 0;
        std::uint32_t kept = 0;
        // A list that ends before the first change is moved whole, without reading it.
        if (postings->last[id] < firstChanged) {
            read = postings->bytes.data() + postings->start[id + 1];
            kept = postings->count[id];
            group = postings->last[id];
        }
        while (kept < postings->count[id]) {
            const std::uint8_t* next = read;
            const std::uint32_t nextGroup = group + PackedGroups::ReadDistance(&next);
            if (nextGroup >= firstChanged) {
                break;
            }
            group = nextGroup;
            read = next;
            ++kept;
        }
        if (write != listStart) {
            std::memmove(write, listStart, static_cast<std::size_t>(read - listStart));
        }
        write += read - listStart;
        std::uint32_t lastKept = group;
        for (std::uint32_t i = kept, count = postings->count[id]; i < count; ++i) {
            group += PackedGroups::ReadDistance(&read);
            const std::uint32_t newGroup = newGroupOf[group];
            if (newGroup != kDropped) {
                PackedGroups::WriteDistance(newGroup - lastKept, &write);
                lastKept = newGroup;
                ++kept;
            }
        }
        postings->count[id] = kept;
        postings->last[id] = lastKept;
    }
    if (!postings->start.empty()) {
        postings->start.back() = static_cast<std::size_t>(write - postings->bytes.data());
        postings->bytes.resize(postings->start.back());
    }
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
