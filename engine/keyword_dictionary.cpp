#include "engine/keyword_dictionary.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "engine/room_for_one.h"

namespace wobbet {
namespace {

std::uint64_t ByteAt(const char* bytes, std::size_t at) {
    return static_cast<unsigned char>(bytes[at]);
}

std::uint64_t FourBytesAt(const char* bytes) {
    return ByteAt(bytes, 0) | ByteAt(bytes, 1) << 8 | ByteAt(bytes, 2) << 16 |
           ByteAt(bytes, 3) << 24;
}

// The bytes of a text shorter than eight bytes, the first in the lowest, read in at most two
// loads that overlap rather than a byte at a time.
std::uint64_t ShortChunk(const char* bytes, std::size_t size) {
    if (size >= 4) {
        return FourBytesAt(bytes) | FourBytesAt(bytes + size - 4) << (8 * (size - 4));
    }
    if (size == 0) {
        return 0;
    }
    return ByteAt(bytes, 0) | ByteAt(bytes, size / 2) << (8 * (size / 2)) |
           ByteAt(bytes, size - 1) << (8 * (size - 1));
}

// Keyword entries are short words: eight bytes at a time, each mixed in by a multiplication,
// and the high bits folded into the low ones that pick the slot.
std::uint32_t HashOf(std::string_view text) {
    constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15u;
    std::uint64_t hash = text.size() * kMultiplier;
    std::size_t at = 0;
    for (; at + 8 <= text.size(); at += 8) {
        std::uint64_t chunk = 0;
        std::memcpy(&chunk, text.data() + at, 8);
        hash = (hash ^ chunk) * kMultiplier;
        hash ^= hash >> 29;
    }
    if (at < text.size()) {
        hash = (hash ^ ShortChunk(text.data() + at, text.size() - at)) * kMultiplier;
        hash ^= hash >> 29;
    }
    hash *= kMultiplier;
    return static_cast<std::uint32_t>(hash >> 32);
}

// A slot's head holds the first bytes of its entry and the entry's length, which together are the
// whole of an entry this short: most keywords are short words.
constexpr std::size_t kWholeInHead = 7;

std::uint64_t HeadOf(std::string_view text) {
    const std::uint64_t bytes = text.size() <= kWholeInHead
                                    ? ShortChunk(text.data(), text.size())
                                    : FourBytesAt(text.data()) | FourBytesAt(text.data() + 3) << 24;
    return bytes | std::uint64_t{std::min<std::size_t>(text.size(), UINT8_MAX)} << 56;
}

bool WholeInHead(std::uint64_t head) {
    return (head >> 56) <= kWholeInHead;
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
        if (candidate.id == kEmptySlot ||
            (candidate.hash == hash && candidate.head == head &&
             (WholeInHead(head) || SameText(texts_[candidate.id], text)))) {
            return slot;
        }
    }
}

std::uint32_t KeywordDictionary::Find(std::string_view text) const {
    if (slots_.empty()) {
        return kNotFound;
    }
    const std::uint32_t id = slots_[SlotOf(text, HashOf(text), HeadOf(text))].id;
    return id == kEmptySlot ? kNotFound : id;
}

std::uint32_t KeywordDictionary::Intern(std::string_view text) {
    Reserve(1);
    return InternHashed(text, HashOf(text), HeadOf(text));
}

void KeywordDictionary::InternAll(std::span<const std::string_view> texts, std::uint32_t* ids) {
    constexpr std::size_t kBatch = kReadAheadBatch;
    std::array<std::uint32_t, kBatch> hashes;
    std::array<std::uint64_t, kBatch> heads;
    for (std::size_t first = 0; first < texts.size(); first += kBatch) {
        const std::span<const std::string_view> batch =
            texts.subspan(first, std::min(kBatch, texts.size() - first));
        Reserve(batch.size());
        for (std::size_t i = 0; i < batch.size(); ++i) {
            hashes[i] = HashOf(batch[i]);
            heads[i] = HeadOf(batch[i]);
        }
        if (slots_.size() * sizeof(Slot) > kCachedSlotsSize && !texts_.empty()) {
            ReadAhead(std::span(hashes).first(batch.size()), std::span(heads).first(batch.size()));
        }
        for (std::size_t i = 0; i < batch.size(); ++i) {
            ids[first + i] = InternHashed(batch[i], hashes[i], heads[i]);
        }
    }
}

void KeywordDictionary::ReadAhead(std::span<const std::uint32_t> hashes,
                                  std::span<const std::uint64_t> heads) {
    // The reads of the whole batch are made first, slots, then entries, then texts, without
    // branching on what they find: as none depends on another, the processor fetches them
    // together instead of one after another. A slot that holds another text, or a text whole
    // in its head, reads entry 0.
    const std::size_t mask = slots_.size() - 1;
    std::array<std::uint32_t, kReadAheadBatch> firstIds;
    std::uint32_t readAhead = 0;
    for (std::size_t i = 0; i < hashes.size(); ++i) {
        readAhead += slots_[hashes[i] & mask].id;
    }
    for (std::size_t i = 0; i < hashes.size(); ++i) {
        const Slot& slot = slots_[hashes[i] & mask];
        const bool readsEntry = slot.hash == hashes[i] && slot.head == heads[i] &&
                                slot.id != kEmptySlot && !WholeInHead(heads[i]);
        firstIds[i] = readsEntry ? slot.id : 0;
        readAhead += static_cast<std::uint32_t>(texts_[firstIds[i]].size());
    }
    for (std::size_t i = 0; i < hashes.size(); ++i) {
        const std::string_view text = texts_[firstIds[i]];
        readAhead += text.empty() ? 0u : static_cast<unsigned char>(text.back());
    }
    readAhead_ += readAhead;
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
