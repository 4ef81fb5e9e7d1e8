#include "engine/record_merge.h"

#include <cstdint>
#include <new>
#include <vector>

namespace wobbet {
namespace {

// FNV-1a over the reply and each entry, every text preceded by its length so that no two
// different records are the same run of bytes.
std::uint64_t MixText(std::uint64_t hash, std::string_view text) {
    constexpr std::uint64_t kPrime = 0x100000001B3u;
    hash = (hash ^ text.size()) * kPrime;
    for (const char c : text) {
        hash = (hash ^ static_cast<unsigned char>(c)) * kPrime;
    }
    return hash;
}

std::uint64_t RecordHash(const KnowledgeBase& knowledge, std::size_t record) {
    std::uint64_t hash = MixText(0xCBF29CE484222325u, knowledge.Response(record));
    for (std::size_t entry = knowledge.GroupBegin(record);
         entry < knowledge.GroupTerminator(record); ++entry) {
        hash = MixText(hash, knowledge.Keyword(entry));
    }
    return hash;
}

bool SameRecord(const KnowledgeBase& a, std::size_t recordA, const KnowledgeBase& b,
                std::size_t recordB) {
    const std::size_t beginA = a.GroupBegin(recordA);
    const std::size_t beginB = b.GroupBegin(recordB);
    const std::size_t size = a.GroupTerminator(recordA) - beginA;
    if (a.Response(recordA) != b.Response(recordB) || b.GroupTerminator(recordB) - beginB != size) {
        return false;
    }
    for (std::size_t i = 0; i < size; ++i) {
        if (a.Keyword(beginA + i) != b.Keyword(beginB + i)) {
            return false;
        }
    }
    return true;
}

// The records of one knowledge base by hash: open addressing, at most half full.
class RecordSet {
public:
    explicit RecordSet(std::size_t records) {
        std::size_t size = 64;
        while (size < records * 2) {
            size *= 2;
        }
        slots_.assign(size, Slot{0, kEmpty});
    }

    // Whether a record of `knowledge` equal to record `other` of `from` is held; when none
    // is, the slot where the record about to be appended goes is remembered for Insert.
    bool Contains(const KnowledgeBase& knowledge, const KnowledgeBase& from, std::size_t other,
                  std::uint64_t hash) {
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t slot = static_cast<std::size_t>(hash) & mask;; slot = (slot + 1) & mask) {
            if (slots_[slot].record == kEmpty) {
                freeSlot_ = slot;
                return false;
            }
            if (slots_[slot].tag == Tag(hash) &&
                SameRecord(knowledge, slots_[slot].record, from, other)) {
                return true;
            }
        }
    }
    void Insert(std::uint64_t hash, std::size_t record) {
        slots_[freeSlot_] = {Tag(hash), static_cast<std::uint32_t>(record)};
    }
    // For the records held before merging, which are all different or equal to an earlier one.
    void Add(const KnowledgeBase& knowledge, std::size_t record) {
        const std::uint64_t hash = RecordHash(knowledge, record);
        if (!Contains(knowledge, knowledge, record, hash)) {
            Insert(hash, record);
        }
    }

private:
    // The slot is found by the hash's low bits and checked against its high ones, so that a
    // slot takes 8 bytes: the set is the largest thing a merge or an import allocates.
    struct Slot {
        std::uint32_t tag;
        std::uint32_t record;
    };
    static std::uint32_t Tag(std::uint64_t hash) { return static_cast<std::uint32_t>(hash >> 32); }
    static constexpr std::uint32_t kEmpty = UINT32_MAX;

    std::vector<Slot> slots_;
    std::size_t freeSlot_ = 0;
};

}  // namespace

MergeCounts AppendNewRecords(KnowledgeBase& into, const KnowledgeBase& from) {
    MergeCounts counts;
    RecordSet known(into.RecordCount() + from.RecordCount());
    for (std::size_t record = 0; record < into.RecordCount(); ++record) {
        known.Add(into, record);
    }
    const KnowledgeBase::Extent before = into.Size();
    try {
        for (std::size_t record = 0; record < from.RecordCount(); ++record) {
            const std::uint64_t hash = RecordHash(from, record);
            if (known.Contains(into, from, record, hash)) {
                ++counts.alreadyKnown;
                continue;
            }
            into.AppendResponse(from.Response(record));
            for (std::size_t entry = from.GroupBegin(record); entry <= from.GroupTerminator(record);
                 ++entry) {
                into.AppendKeyword(from.Keyword(entry));
            }
            known.Insert(hash, into.RecordCount() - 1);
            ++counts.added;
        }
    } catch (const std::bad_alloc&) {
        into.TruncateTo(before);
        throw;
    }
    return counts;
}

}  // namespace wobbet
