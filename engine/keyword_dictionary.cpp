#include "engine/keyword_dictionary.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#include "engine/room_for_one.h"

namespace wobbet {
namespace {

inline std::uint64_t ByteAt(const char* bytes, std::size_t at) {
    return static_cast<unsigned char>(bytes[at]);
}

// The first byte in the lowest, in one load where the processor orders bytes so.
inline std::uint64_t FourBytesAt(const char* bytes) {
    if constexpr (std::endian::native == std::endian::little) {
        std::uint32_t four = 0;
        std::memcpy(&four, bytes, sizeof four);
        return four;
    }
    return ByteAt(bytes, 0) | ByteAt(bytes, 1) << 8 | ByteAt(bytes, 2) << 16 |
           ByteAt(bytes, 3) << 24;
}

// The bytes of a text shorter than eight bytes, the first in the lowest, read in at most two
// loads that overlap rather than a byte at a time.
inline std::uint64_t ShortChunk(const char* bytes, std::size_t size) {
    if (size >= 4) {
        return FourBytesAt(bytes) | FourBytesAt(bytes + size - 4) << (8 * (size - 4));
    }
    if (size == 0) {
        return 0;
    }
    return ByteAt(bytes, 0) | ByteAt(bytes, size / 2) << (8 * (size / 2)) |
           ByteAt(bytes, size - 1) << (8 * (size - 1));
}

// A slot's head holds the first bytes of its entry and the entry's length, which together are the
// whole of an entry this short: most keywords are short words.
constexpr std::size_t kWholeInHead = 7;

inline std::uint64_t HeadOf(std::string_view text) {
    const std::uint64_t bytes = text.size() <= kWholeInHead
                                    ? ShortChunk(text.data(), text.size())
                                    : FourBytesAt(text.data()) | FourBytesAt(text.data() + 3) << 24;
    return bytes | std::uint64_t{std::min<std::size_t>(text.size(), UINT8_MAX)} << 56;
}

inline bool WholeInHead(std::uint64_t head) {
    return (head >> 56) <= kWholeInHead;
}

constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15u;

inline std::uint64_t Mix(std::uint64_t hash, std::uint64_t chunk) {
    hash = (hash ^ chunk) * kMultiplier;
    return hash ^ hash >> 29;
}

// A short entry's hash is its head's, mixed; a longer one mixes in all its bytes, eight at a
// time. The high bits are folded into the low ones that pick the slot.
inline std::uint32_t HashOf(std::string_view text, std::uint64_t head) {
    std::uint64_t hash = Mix(0, head);
    if (!WholeInHead(head)) {
        std::size_t at = 0;
        for (; at + 8 <= text.size(); at += 8) {
            std::uint64_t chunk = 0;
            std::memcpy(&chunk, text.data() + at, 8);
            hash = Mix(hash, chunk);
        }
        if (at < text.size()) {
            hash = Mix(hash, ShortChunk(text.data() + at, text.size() - at));
        }
    }
    hash *= kMultiplier;
    return static_cast<std::uint32_t>(hash >> 32);
}

// Equality without a library call, as keyword entries are a few bytes long.
bool SameText(std::string_view stored, std::string_view text) {
    if (stored.size() != text.size()) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (stored[i] != text[i]) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::size_t KeywordDictionary::SlotOf(std::string_view text, std::uint32_t hash,
                                      std::uint64_t head) const {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        const Slot& candidate = slots_[slot];
        // A short entry is known by its head alone.
        if (candidate.id == kEmptySlot ||
            (candidate.head == head &&
             (WholeInHead(head) ||
              (candidate.hash == hash && SameText(texts_[candidate.id], text))))) {
            return slot;
        }
    }
}

std::uint32_t KeywordDictionary::Find(std::string_view text) const {
    if (slots_.empty()) {
        return kNotFound;
    }
    const std::uint64_t head = HeadOf(text);
    const std::uint32_t id = slots_[SlotOf(text, HashOf(text, head), head)].id;
    return id == kEmptySlot ? kNotFound : id;
}

std::uint32_t KeywordDictionary::Intern(std::string_view text) {
    Reserve(1);
    const std::uint64_t head = HeadOf(text);
    return InternHashed(text, HashOf(text, head), head);
}

void KeywordDictionary::InternAll(std::span<const std::string_view> texts, std::uint32_t* ids) {
    std::array<std::uint64_t, kRun> heads;
    std::array<std::uint32_t, kRun> hashes;
    for (std::size_t first = 0; first < texts.size(); first += kRun) {
        const std::size_t count = std::min(kRun, texts.size() - first);
        Reserve(count);
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t i = 0; i < count; ++i) {
            heads[i] = HeadOf(texts[first + i]);
            hashes[i] = HashOf(texts[first + i], heads[i]);
        }
        // Slots far beyond the caches are all read before any is looked at, so that the
        // processor fetches them together instead of one after another.
        if (slots_.size() * sizeof(Slot) > kCachedSlotsSize) {
            std::uint32_t fetched = 0;
            for (std::size_t i = 0; i < count; ++i) {
                fetched |= slots_[hashes[i] & mask].id;
            }
            fetched_ += fetched;
        }
        for (std::size_t i = 0; i < count; ++i) {
            // Most entries are short words found in their first slot: few instructions each,
            // so that the processor runs ahead to the next entries' slots while one is fetched.
            const Slot& slot = slots_[hashes[i] & mask];
            ids[first + i] = slot.head == heads[i] && slot.id != kEmptySlot && WholeInHead(heads[i])
                                 ? slot.id
                                 : InternHashed(texts[first + i], hashes[i], heads[i]);
        }
    }
}

std::uint32_t KeywordDictionary::InternHashed(std::string_view text, std::uint32_t hash,
                                              std::uint64_t head) {
    const std::size_t slot = SlotOf(text, hash, head);
    if (slots_[slot].id != kEmptySlot) {
        return slots_[slot].id;
    }
    MakeRoomForOne(&texts_);
    MakeRoomForOne(&containsSpace_);
    const std::string_view stored = Store(text);
    const auto id = static_cast<std::uint32_t>(texts_.size());
    texts_.push_back(stored);
    const bool containsSpace = text.find(' ') != std::string_view::npos;
    containsSpace_.push_back(containsSpace ? 1 : 0);
    countContainingSpace_ += containsSpace ? 1 : 0;
    slots_[slot] = {hash, id, head};
    return id;
}

void KeywordDictionary::Reserve(std::size_t more) {
    // At most half the slots are used, so probes stay short.
    std::size_t slotCount = std::max<std::size_t>(64, slots_.size());
    while ((texts_.size() + more) * 2 > slotCount) {
        slotCount *= 2;
    }
    if (slotCount == slots_.size()) {
        return;
    }
    std::vector<Slot> slots(slotCount, Slot{0, kEmptySlot, 0});
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
