#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <unordered_map>
#include <vector>

#include "engine/keyword_dictionary.h"

namespace wobbet {

// The keyword groups by keyword: for each entry number, the groups that count it as a primary
// keyword and the groups that count it as a context keyword, so that selection visits only the
// groups that can score. Only complete groups are indexed, as entries after the last terminator
// are never scored.
//
// A group counts each word once, in the first section it appears in. That is what matching a
// keyword against the space-framed list of the group's earlier keywords gives, as long as no
// entry of the group holds a space; groups with such an entry are kept apart, as irregular
// groups, for selection to match entry by entry.
//
// Appending stays cheap because the index catches up only when it is asked: many new groups,
// as after loading the knowledge file, are indexed by rebuilding it whole in two sequential
// passes; a few, as after learning, are added to short lists of recent groups.
class KeywordIndex {
public:
    // A group with an entry that holds a space: its entries are [firstEntry, terminatorEntry).
    struct IrregularGroup {
        std::uint32_t group;
        std::size_t firstEntry;
        std::size_t terminatorEntry;
    };

    // Groups in ascending order, each kept as its distance from the one before (the first from
    // 0) in seven bits a byte, the top bit telling that more bytes follow: most distances take
    // one byte or two, where a group number takes four.
    class PackedGroups {
    public:
        PackedGroups() = default;
        PackedGroups(const std::uint8_t* bytes, std::size_t count) : bytes_(bytes), count_(count) {}

        std::size_t size() const { return count_; }
        template <typename OnGroup>
        void ForEach(OnGroup onGroup) const {
            const std::uint8_t* at = bytes_;
            std::uint32_t group = 0;
            std::size_t left = count_;
            // A common keyword's distances take a byte each: eight of them are read at once.
            // Eight groups left are eight bytes at least, all of this list.
            for (; left >= 8; --left) {
                if constexpr (std::endian::native == std::endian::little) {
                    std::uint64_t eight = 0;
                    std::memcpy(&eight, at, sizeof eight);
                    if ((eight & 0x8080808080808080u) == 0) {
                        for (unsigned byte = 0; byte < 8; ++byte) {
                            group += static_cast<std::uint32_t>(eight >> (8 * byte)) & 0xFF;
                            onGroup(group);
                        }
                        at += 8;
                        left -= 7;
                        continue;
                    }
                }
                group += ReadDistance(&at);
                onGroup(group);
            }
            for (; left > 0; --left) {
                group += ReadDistance(&at);
                onGroup(group);
            }
        }

        // Writes the distance at *at and moves *at past it.
        static void WriteDistance(std::uint32_t distance, std::uint8_t** at);
        static std::size_t DistanceSize(std::uint32_t distance);
        static std::uint32_t ReadDistance(const std::uint8_t** at) {
            std::uint32_t byte = *(*at)++;
            std::uint32_t distance = byte & 0x7F;
            for (unsigned shift = 7; (byte & 0x80) != 0; shift += 7) {
                byte = *(*at)++;
                distance |= (byte & 0x7F) << shift;
            }
            return distance;
        }

    private:
        const std::uint8_t* bytes_ = nullptr;
        std::size_t count_ = 0;
    };

    // The groups of one keyword: those indexed by the last rebuild, then those added or
    // changed since, each part in ascending order.
    struct Groups {
        PackedGroups rebuilt;
        std::span<const std::uint32_t> recent;
    };

    // Entry numbers reserved for the terminator and the context marker.
    static constexpr std::uint32_t kTerminatorId = 0;
    static constexpr std::uint32_t kContextMarkerId = 1;

    // Indexes the groups of entries that are not indexed yet. The entries are the whole keyword
    // table up to its last terminator, holding groupCount groups; earlier calls saw a beginning
    // of the same table. Throws std::bad_alloc when memory runs out, leaving an empty index
    // that the next call rebuilds.
    void CatchUp(std::span<const std::uint32_t> entries, std::uint32_t groupCount,
                 const KeywordDictionary& dictionary);
    void Clear() { *this = KeywordIndex(); }

    // Groups [0, IndexedGroups()) are indexed; later ones wait for CatchUp.
    std::uint32_t IndexedGroups() const { return indexedGroups_; }
    static constexpr std::uint32_t kDropped = UINT32_MAX;
    // Follows groups taken out of the table or changed in place, without a rebuild: newGroupOf
    // gives every indexed group its new number, or kDropped for one that is gone or changed;
    // terminators are the table's after the change, changed groups included. Each changed
    // group (one still in the table, with the number given) is then indexed again from entries.
    // Costs one pass over the index. Throws std::bad_alloc when memory runs out, leaving an
    // empty index that the next CatchUp rebuilds.
    void Renumber(std::span<const std::uint32_t> newGroupOf,
                  std::span<const std::uint32_t> terminators,
                  std::span<const std::uint32_t> changedGroups,
                  std::span<const std::uint32_t> entries, const KeywordDictionary& dictionary);

    Groups PrimaryGroups(std::uint32_t id) const { return GroupsOf(primary_, id); }
    Groups ContextGroups(std::uint32_t id) const { return GroupsOf(context_, id); }
    std::span<const IrregularGroup> IrregularGroups() const { return irregularGroups_; }

private:
    // The groups of every keyword of one section.
    struct Postings {
        // Rebuilt part: keyword id's count[id] groups are packed from bytes[start[id]] on.
        std::vector<std::size_t> start;
        std::vector<std::uint32_t> count;
        std::vector<std::uint8_t> bytes;
        // The last of each keyword's groups, 0 for none.
        std::vector<std::uint32_t> last;
        // Groups added since, by keyword id: the few keywords of recently learned records.
        std::unordered_map<std::uint32_t, std::vector<std::uint32_t>> recent;
    };

    static Groups GroupsOf(const Postings& postings, std::uint32_t id);
    void Rebuild(std::span<const std::uint32_t> entries, const KeywordDictionary& dictionary);
    void AddRecent(std::span<const std::uint32_t> entries, const KeywordDictionary& dictionary);
    void RenumberPostings(Postings* postings, std::span<const std::uint32_t> newGroupOf);
    // Starts a new group's marks.
    void NextMark();
    // Calls onGroup for each group that entries [begin, entries.size()) complete, numbering
    // them from firstGroup, with its distinct primary and context keywords.
    template <typename OnGroup>
    void ForEachGroup(std::span<const std::uint32_t> entries, std::size_t begin,
                      std::uint32_t firstGroup, const KeywordDictionary& dictionary,
                      OnGroup onGroup);

    Postings primary_;
    Postings context_;
    std::vector<IrregularGroup> irregularGroups_;
    std::size_t indexedEntries_ = 0;
    std::uint32_t indexedGroups_ = 0;
    std::uint32_t recentGroups_ = 0;

    // Scratch of ForEachGroup: the distinct words of the group being walked, by section, and
    // for each entry number the mark of the last group that held it.
    std::vector<std::uint32_t> groupPrimary_;
    std::vector<std::uint32_t> groupContext_;
    std::vector<std::uint32_t> lastMarkOf_;
    std::uint32_t mark_ = 0;
};

}  // namespace wobbet
