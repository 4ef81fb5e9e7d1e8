#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace wobbet {

// The keyword groups by keyword: for each entry number, the groups that count it as a primary
// keyword and the groups that count it as a context keyword, so that selection visits only the
// groups that can score. Fed with every keyword entry as it is appended; a group is indexed
// once its terminator arrives, as entries after the last terminator are never scored.
//
// A group counts each word once, in the first section it appears in. That is what matching a
// keyword against the space-framed list of the group's earlier keywords gives, as long as no
// entry of the group holds a space; groups with such an entry are kept apart, as irregular
// groups, for selection to match entry by entry.
class KeywordIndex {
public:
    // A group with an entry that holds a space: its entries are [firstEntry, terminatorEntry).
    struct IrregularGroup {
        std::uint32_t group;
        std::size_t firstEntry;
        std::size_t terminatorEntry;
    };

    // Entry numbers reserved for the terminator and the context marker.
    static constexpr std::uint32_t kTerminatorId = 0;
    static constexpr std::uint32_t kContextMarkerId = 1;

    // Takes the next keyword entry: its number, its place in the table and whether it holds a
    // space. Either indexes it completely or throws leaving the index as it was.
    void Add(std::uint32_t id, std::size_t position, bool containsSpace);
    void Clear();

    // Complete groups: the number of terminators seen.
    std::uint32_t GroupCount() const { return groupCount_; }

    // Groups in ascending order, each listed once per entry number.
    std::span<const std::uint32_t> PrimaryGroups(std::uint32_t id) const {
        return id < primaryGroups_.size() ? std::span(primaryGroups_[id])
                                          : std::span<const std::uint32_t>();
    }
    std::span<const std::uint32_t> ContextGroups(std::uint32_t id) const {
        return id < contextGroups_.size() ? std::span(contextGroups_[id])
                                          : std::span<const std::uint32_t>();
    }
    std::span<const IrregularGroup> IrregularGroups() const { return irregularGroups_; }

private:
    void CloseGroup(std::size_t terminatorPosition);

    std::uint32_t groupCount_ = 0;
    std::vector<std::vector<std::uint32_t>> primaryGroups_;
    std::vector<std::vector<std::uint32_t>> contextGroups_;
    std::vector<IrregularGroup> irregularGroups_;

    // The group being appended: its distinct words by section, and where it began.
    std::vector<std::uint32_t> openPrimary_;
    std::vector<std::uint32_t> openContext_;
    bool openInContext_ = false;
    bool openIrregular_ = false;
    std::size_t openFirstEntry_ = 0;
    // For each entry number, 1 + the group that last used it, to count a word once per group.
    std::vector<std::uint32_t> lastGroupOf_;
};

}  // namespace wobbet
