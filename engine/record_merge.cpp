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
    static constexpr std::uint32_t kNone = UINT32_MAX;

    explicit RecordSet(const KnowledgeBase& records) : records_(records) {
        std::size_t size = 64;
        while (size < records.RecordCount() * 2) {
            size *= 2;
        }
        slots_.assign(size, Slot{0, kNone});
    }

    // The record of the set equal to record `other` of `knowledge`, or kNone; when none is, the
    // slot where `other` would go is remembered for Insert.
    std::uint32_t Find(const KnowledgeBase& knowledge, std::size_t other, std::uint64_t hash) {
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t slot = static_cast<std::size_t>(hash) & mask;; slot = (slot + 1) & mask) {
            const Slot& found = slots_[slot];
            if (found.record == kNone) {
                freeSlot_ = slot;
                return kNone;
            }
            if (found.tag == Tag(hash) && SameRecord(records_, found.record, knowledge, other)) {
                return found.record;
            }
        }
    }
    void Insert(std::uint64_t hash, std::size_t record) {
        slots_[freeSlot_] = {Tag(hash), static_cast<std::uint32_t>(record)};
    }

private:
    // The slot is found by the hash's low bits and checked against its high ones, so that a
    // slot takes 8 bytes.
    struct Slot {
        std::uint32_t tag;
        std::uint32_t record;
    };
    static std::uint32_t Tag(std::uint64_t hash) { return static_cast<std::uint32_t>(hash >> 32); }

    const KnowledgeBase& records_;
    std::vector<Slot> slots_;
    std::size_t freeSlot_ = 0;
};

// Which records of `from` are new: the first of their kind in `from`, and held nowhere in
// `into`. Only the records coming in are hashed into a set, whatever the number held: the set
// is the largest thing a merge or an import allocates besides the records themselves.
std::vector<bool> NewRecords(const KnowledgeBase& into, const KnowledgeBase& from) {
    std::vector<bool> isNew(from.RecordCount(), false);
    RecordSet incoming(from);
    for (std::size_t record = 0; record < from.RecordCount(); ++record) {
        const std::uint64_t hash = RecordHash(from, record);
        if (incoming.Find(from, record, hash) == RecordSet::kNone) {
            incoming.Insert(hash, record);
            isNew[record] = true;
        }
    }
    for (std::size_t record = 0; record < into.RecordCount(); ++record) {
        const std::uint32_t held = incoming.Find(into, record, RecordHash(into, record));
        if (held != RecordSet::kNone) {
            isNew[held] = false;
        }
    }
    return isNew;
}

}  // namespace

MergeCounts AppendNewRecords(KnowledgeBase& into, const KnowledgeBase& from) {
    const std::vector<bool> isNew = NewRecords(into, from);
    MergeCounts counts;
    KnowledgeBase::Extent growth{0, 0};
    std::size_t replyBytes = 0;
    for (std::size_t record = 0; record < from.RecordCount(); ++record) {
        if (isNew[record]) {
            ++growth.responses;
            growth.keywords += from.GroupTerminator(record) + 1 - from.GroupBegin(record);
            replyBytes += from.Response(record).size();
        }
    }
    counts.added = growth.responses;
    counts.alreadyKnown = from.RecordCount() - counts.added;
    const KnowledgeBase::Extent before = into.Size();
    try {
        into.Reserve(growth, replyBytes);
        for (std::size_t record = 0; record < from.RecordCount(); ++record) {
            if (!isNew[record]) {
                continue;
            }
            into.AppendResponse(from.Response(record));
            for (std::size_t entry = from.GroupBegin(record); entry <= from.GroupTerminator(record);
                 ++entry) {
                into.AppendKeyword(from.Keyword(entry));
            }
        }
    } catch (const std::bad_alloc&) {
        into.TruncateTo(before);
        throw;
    }
    return counts;
}

}  // namespace wobbet
