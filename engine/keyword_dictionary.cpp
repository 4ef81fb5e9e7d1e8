#include "keyword_dictionary.h"

#include <algorithm>
#include <cstring>
#include <functional>

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
        const std::uint32_t id = slots_[slot];
        if (id == kEmptySlot || (entries_[id].hash == hash && entries_[id].text == text)) {
            return slot;
        }
    }
}

std::uint32_t KeywordDictionary::Find(std::string_view text) const {
    if (slots_.empty()) {
        return kNotFound;
    }
    const std::uint32_t id = slots_[SlotOf(text, HashOf(text))];
    return id == kEmptySlot ? kNotFound : id;
}

std::uint32_t KeywordDictionary::Intern(std::string_view text) {
    // At most half the slots are used, so probes stay short.
    if ((entries_.size() + 1) * 2 > slots_.size()) {
        Grow();
    }
    const std::uint32_t hash = HashOf(text);
    const std::size_t slot = SlotOf(text, hash);
    if (slots_[slot] != kEmptySlot) {
        return slots_[slot];
    }
    entries_.reserve(entries_.size() + 1);
    const std::string_view stored = Store(text);
    const auto id = static_cast<std::uint32_t>(entries_.size());
    entries_.push_back({stored, hash, text.find(' ') != std::string_view::npos});
    slots_[slot] = id;
    return id;
}

void KeywordDictionary::Grow() {
    std::vector<std::uint32_t> slots(std::max<std::size_t>(64, slots_.size() * 2), kEmptySlot);
    const std::size_t mask = slots.size() - 1;
    for (std::uint32_t id = 0; id < entries_.size(); ++id) {
        std::size_t slot = entries_[id].hash & mask;
        while (slots[slot] != kEmptySlot) {
            slot = (slot + 1) & mask;
        }
        slots[slot] = id;
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
        blocks_.reserve(blocks_.size() + 1);
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
    for (const Entry& entry : other.entries_) {
        Intern(entry.text);
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
