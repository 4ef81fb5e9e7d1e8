#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

namespace wobbet {

// Gives every distinct keyword entry a number, dense from 0 in order of first appearance, so the
// tables hold numbers and matching compares numbers. A million learned records use a few tens of
// thousands of distinct entries.
class KeywordDictionary {
public:
    static constexpr std::uint32_t kNotFound = UINT32_MAX;

    KeywordDictionary() = default;
    // A copy numbers every entry as the original does.
    KeywordDictionary(const KeywordDictionary& other);
    KeywordDictionary& operator=(const KeywordDictionary& other);
    KeywordDictionary(KeywordDictionary&&) noexcept = default;
    KeywordDictionary& operator=(KeywordDictionary&&) noexcept = default;

    // The number of the text, adding it when it is new.
    std::uint32_t Intern(std::string_view text);
    // Interns each of the texts into ids, in order, as many Intern calls would, but quicker.
    void InternAll(std::span<const std::string_view> texts, std::uint32_t* ids);
    // The number of the text, or kNotFound.
    std::uint32_t Find(std::string_view text) const;

    std::string_view Text(std::uint32_t id) const { return texts_[id]; }
    // Whether the entry holds a space, so that it can match a run of words.
    bool ContainsSpace(std::uint32_t id) const { return containsSpace_[id] != 0; }
    std::size_t CountContainingSpace() const { return countContainingSpace_; }
    std::size_t Size() const { return texts_.size(); }

    void Clear();

private:
    // A slot holds an entry's hash, number and head, so that most probes never look at the
    // entry: the head holds a short entry whole, so that finding one reads its slot alone.
    struct Slot {
        std::uint32_t hash;
        std::uint32_t id;
        std::uint64_t head;
    };
    static constexpr std::uint32_t kEmptySlot = UINT32_MAX;
    // InternAll takes texts a run at a time, making room for the run first.
    static constexpr std::size_t kRun = 16;
    // Slots beyond this size are mostly out of the caches, so InternAll reads them ahead.
    static constexpr std::size_t kCachedSlotsSize = 4 * 1024 * 1024;
    static constexpr std::size_t kBlockSize = 64 * 1024;

    std::size_t SlotOf(std::string_view text, std::uint32_t hash, std::uint64_t head) const;
    std::uint32_t InternHashed(std::string_view text, std::uint32_t hash, std::uint64_t head);
    // Makes room for `more` entries more.
    void Reserve(std::size_t more);
    std::string_view Store(std::string_view text);

    std::vector<std::string_view> texts_;  // into blocks_
    // Apart from the texts, as indexing asks it of every entry of the table.
    std::vector<std::uint8_t> containsSpace_;
    std::size_t countContainingSpace_ = 0;
    // Open addressing with linear probing; an empty slot has the number kEmptySlot.
    std::vector<Slot> slots_;
    // Texts are copied into blocks that never move, so the views above stay valid.
    std::vector<std::unique_ptr<char[]>> blocks_;
    std::size_t blockUsed_ = 0;
    std::size_t blockCapacity_ = 0;
    // Where InternAll leaves what it read ahead, so that the reads are not optimised away.
    std::uint32_t fetched_ = 0;
};

}  // namespace wobbet
