#include "keyword_dictionary.h"

#include <algorithm>
#include <cstring>
#include <functional>

#include "room_for_one.h"

namespace wobbet {
namespace {

std::uint32_t HashOf(std::string_view text) {
    const std::size_t hash = std::hash<std::string_view>{}(text);
    return static_cast<std::uint32_t>(hash ^ (hash >> 32));
}

}  // namespace

std::size_t KeywordDictionary::SlotOf(std::string_view text, std::uint32_t hash) const {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        const Slot& candidate = slots_[slot];
        if (candidate.id == kEmptySlot ||
            (candidate.hash == hash && texts_[candidate.id] == text)) {
            return slot;
        }
    }
}

std::uint32_t KeywordDictionary::Find(std::string_view text) const {
    if (slots_.empty()) {
        return kNotFound;
    }
    const std::uint32_t id = slots_[SlotOf(text, HashOf(text))].id;
    return id == kEmptySlot ? kNotFound : id;
}

std::uint32_t KeywordDictionary::Intern(std::string_view text) {
    // At most half the slots are used, so probes stay short.
    if ((texts_.size() + 1) * 2 > slots_.size()) {
        Grow();
    }
    const std::uint32_t hash = HashOf(text);
    const std::size_t slot = SlotOf(text, hash);
    if (slots_[slot].id != kEmptySlot) {
        return slots_[slot].id;
    }
    MakeRoomForOne(&texts_);
    MakeRoomForOne(&containsSpace_);
    const std::string_view stored = Store(text);
    const auto id = static_cast<std::uint32_t>(texts_.size());
    texts_.push_back(stored);
    containsSpace_.push_back(text.find(' ') != std::string_view::npos ? 1 : 0);
    slots_[slot] = {hash, id};
    return id;
}

void KeywordDictionary::Grow() {
    std::vector<Slot> slots(std::max<std::size_t>(64, slots_.size() * 2), Slot{0, kEmptySlot});
    const std::size_t mask = slots.size() - 1;
    for (const Slot& used : slots_) {
        if (used.id != kEmptySlot) {
            std::size_t slot = used.hash & mask;
            while (slots[slot].id != kEmptySlot) {
                slot = (slot + 1) & mask;
            }
            slots[slot] = used;
        }
    }
    slots_ = std::move(slots);
}

std::string_view KeywordDictionary::Store(std::string_view text) {
    if (text.empty()) {
        return {};
    }
    if (blockCapacity_ - blockUsed_ < text.size()) {
        // A text longer than a block gets a block of its own.
        const std::size_t capacity = std::max(kBlockSize, text.size());
        MakeRoomForOne(&blocks_);
        blocks_.push_back(std::make_unique_for_overwrite<char[]>(capacity));
        blockUsed_ = 0;
        blockCapacity_ = capacity;
    }
    char* const stored = blocks_.back().get() + blockUsed_;
    std::memcpy(stored, text.data(), text.size());
    blockUsed_ += text.size();
    return {stored, text.size()};
}

KeywordDictionary::KeywordDictionary(const KeywordDictionary& other) {
    for (std::string_view text : other.texts_) {
        Intern(text);
    }
}

KeywordDictionary& KeywordDictionary::operator=(const KeywordDictionary& other) {
    if (this != &other) {
        *this = KeywordDictionary(other);
    }
    return *this;
}

void KeywordDictionary::Clear() {
    *this = KeywordDictionary();
}

}  // namespace wobbet
