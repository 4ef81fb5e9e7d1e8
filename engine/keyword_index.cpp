#include "keyword_index.h"

#include "room_for_one.h"

namespace wobbet {

void KeywordIndex::Add(std::uint32_t id, std::size_t position, bool containsSpace) {
    if (id == kTerminatorId) {
        CloseGroup(position);
        return;
    }
    if (id == kContextMarkerId) {
        openInContext_ = true;
        return;
    }
    if (id >= lastGroupOf_.size()) {
        lastGroupOf_.resize(id + 1, 0);
    }
    if (lastGroupOf_[id] == groupCount_ + 1) {
        return;
    }
    std::vector<std::uint32_t>& section = openInContext_ ? openContext_ : openPrimary_;
    section.push_back(id);
    lastGroupOf_[id] = groupCount_ + 1;
    openIrregular_ = openIrregular_ || containsSpace;
}

void KeywordIndex::CloseGroup(std::size_t terminatorPosition) {
    const std::uint32_t group = groupCount_;
    if (openIrregular_) {
        irregularGroups_.push_back({group, openFirstEntry_, terminatorPosition});
    } else {
        // Room first, so that a failure leaves the group unindexed rather than half indexed.
        const std::size_t highest = lastGroupOf_.size();
        if (primaryGroups_.size() < highest) {
            primaryGroups_.resize(highest);
            contextGroups_.resize(highest);
        }
        for (std::uint32_t id : openPrimary_) {
            MakeRoomForOne(&primaryGroups_[id]);
        }
        for (std::uint32_t id : openContext_) {
            MakeRoomForOne(&contextGroups_[id]);
        }
        for (std::uint32_t id : openPrimary_) {
            primaryGroups_[id].push_back(group);
        }
        for (std::uint32_t id : openContext_) {
            contextGroups_[id].push_back(group);
        }
    }
    ++groupCount_;
    openPrimary_.clear();
    openContext_.clear();
    openInContext_ = false;
    openIrregular_ = false;
    openFirstEntry_ = terminatorPosition + 1;
}

void KeywordIndex::Clear() {
    *this = KeywordIndex();
}

}  // namespace wobbet
