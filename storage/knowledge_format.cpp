#include "storage/knowledge_format.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace wobbet {
namespace {

constexpr std::string_view kLineBreak = "\r\n";

// Finds the line feeds of a piece in order. Lines are short, so the bytes are looked at 64 at a
// time, as many in each step as the processor compares at once, and the line feeds among them
// then found from one bit each.
class LineFeeds {
public:
    LineFeeds(const char* begin, const char* end) : block_(begin), next_(begin), end_(end) {}

    // The next line feed, or the end.
    const char* Next() {
        while (marks_ == 0) {
            if (next_ == end_) {
                return end_;
            }
            Load();
        }
        const char* const found = block_ + std::countr_zero(marks_);
        marks_ &= marks_ - 1;
        return found;
    }

private:
    static constexpr std::size_t kBlock = 64;

    // Marks bit i for each line feed at block_[i] among the next 64 bytes, or the bytes left.
    void Load() {
        block_ = next_;
        marks_ = 0;
        if (static_cast<std::size_t>(end_ - next_) >= kBlock && MarkBlock()) {
            next_ += kBlock;
            return;
        }
        for (std::size_t at = 0; at < kBlock && next_ != end_; ++at, ++next_) {
            if (*next_ == '\n') {
                marks_ |= std::uint64_t{1} << at;
            }
        }
    }

    // Marks the line feeds of a whole block in a few steps where the processor compares many
    // bytes at once; false where it does not, and the bytes are then looked at one by one.
    bool MarkBlock() {
#if defined(__SSE2__)
        const __m128i lineFeeds = _mm_set1_epi8('\n');
        for (std::size_t part = 0; part < kBlock / 16; ++part) {
            const __m128i bytes =
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(next_ + 16 * part));
            const auto found =
                static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, lineFeeds)));
            marks_ |= std::uint64_t{found} << (16 * part);
        }
        return true;
#else
        return false;
#endif
    }

    const char* block_;
    std::uint64_t marks_ = 0;
    const char* next_;
    const char* const end_;
};

// The line that ends at a line feed, a carriage return before it left out.
std::string_view WithoutCarriageReturn(const char* begin, const char* lineFeed) {
    const char* end = lineFeed;
    if (end != begin && end[-1] == '\r') {
        --end;
    }
    return {begin, static_cast<std::size_t>(end - begin)};
}

// Calls onLine for each line of the learned records, in the file's order.
template <typename OnLine>
WriteOutcome ForEachLine(const KnowledgeBase& knowledge, OnLine onLine) {
    // The built-in groups are not written, but their terminators still count records, so the
    // first learned group pairs with the first learned reply.
    bool atRecordStart = true;
    std::size_t record = 0;
    for (std::size_t position = 0; position < knowledge.KeywordCount(); ++position) {
        const std::string_view entry = knowledge.Keyword(position);
        if (position >= kSeedKeywordCount) {
            if (atRecordStart) {
                if (record >= knowledge.ResponseCount()) {
                    return WriteOutcome::kMisaligned;
                }
                onLine(knowledge.Response(record));
                atRecordStart = false;
            }
            onLine(entry);
        }
        if (entry.empty()) {
            atRecordStart = true;
            ++record;
        }
    }
    return WriteOutcome::kComplete;
}

}  // namespace

ReadOutcome ReadKnowledge(std::string_view bytes, KnowledgeBase& knowledge) {
    KnowledgeReader reader(knowledge);
    reader.Read(bytes);
    return reader.Finish();
}

KnowledgeReader::KnowledgeReader(KnowledgeBase& knowledge, std::uint64_t expectedBytes)
    : knowledge_(knowledge),
      expectedBytes_(expectedBytes),
      startExtent_(knowledge.Size()),
      startReplyBytes_(knowledge.ReplyText().size()) {}

void KnowledgeReader::ReserveForTheRest() {
    reserved_ = true;
    if (expectedBytes_ <= readBytes_) {
        return;
    }
    // The rest is taken to be like the first bytes, with a little to spare: the tables then
    // grow once, instead of being copied as they double, and touch half the memory.
    const double scale =
        static_cast<double>(expectedBytes_ - readBytes_) / static_cast<double>(readBytes_) * 1.05;
    const auto more = [scale](std::size_t count) {
        return static_cast<std::size_t>(static_cast<double>(count) * scale) + 1;
    };
    const KnowledgeBase::Extent now = knowledge_.Size();
    try {
        knowledge_.Reserve({more(now.responses - startExtent_.responses),
                            more(now.keywords - startExtent_.keywords)},
                           more(knowledge_.ReplyText().size() - startReplyBytes_));
    } catch (const std::bad_alloc&) {
        // Reading goes on as it would have without the room.
    }
}

bool KnowledgeReader::Read(std::string_view piece) {
    if (outcome_ != ReadOutcome::kComplete) {
        return false;
    }
    try {
        const char* at = piece.data();
        const char* const end = at + piece.size();
        LineFeeds lineFeeds(at, end);
        if (!partialLine_.empty()) {
            const char* const lineFeed = lineFeeds.Next();
            partialLine_.append(at, lineFeed);
            if (lineFeed == end) {
                return true;
            }
            TakeLine(WithoutCarriageReturn(partialLine_.data(),
                                           partialLine_.data() + partialLine_.size()));
            // The batch may hold a view into the line.
            AppendEntries();
            partialLine_.clear();
            at = lineFeed + 1;
        }
        while (outcome_ == ReadOutcome::kComplete) {
            const char* const lineFeed = lineFeeds.Next();
            if (lineFeed == end) {
                partialLine_.assign(at, end);
                break;
            }
            TakeLine(WithoutCarriageReturn(at, lineFeed));
            at = lineFeed + 1;
        }
        AppendEntries();
        readBytes_ += piece.size();
        if (!reserved_ && readBytes_ >= kSampleBytes) {
            ReserveForTheRest();
        }
    } catch (const std::bad_alloc&) {
        outcome_ = ReadOutcome::kOutOfMemory;
    }
    return outcome_ == ReadOutcome::kComplete;
}

ReadOutcome KnowledgeReader::Finish() {
    if (outcome_ != ReadOutcome::kComplete) {
        return outcome_;
    }
    try {
        // A last line without a line break keeps a carriage return at its end.
        if (!partialLine_.empty()) {
            TakeLine(partialLine_);
        }
        if (outcome_ == ReadOutcome::kComplete && !expectingReply_) {
            TakeLine(KnowledgeBase::kTerminator);
        }
        AppendEntries();
        partialLine_.clear();
    } catch (const std::bad_alloc&) {
        outcome_ = ReadOutcome::kOutOfMemory;
    }
    return outcome_;
}

void KnowledgeReader::TakeLine(std::string_view line) {
    // Asked in this order, as whether a line is empty is hard to guess and a reply rarely is.
    if (expectingReply_ && line.empty()) {
        outcome_ = ReadOutcome::kMisaligned;
        return;
    }
    if (expectingReply_) {
        knowledge_.AppendResponse(line);
        expectingReply_ = false;
        return;
    }
    if (entryCount_ == entries_.size()) {
        AppendEntries();
    }
    entries_[entryCount_++] = line;
    expectingReply_ = line.empty();
}

void KnowledgeReader::AppendEntries() {
    knowledge_.AppendKeywords(std::span(entries_).first(entryCount_));
    entryCount_ = 0;
}

WriteOutcome WriteKnowledge(const KnowledgeBase& knowledge, std::string* bytes) {
    // The lines are walked twice, to size the buffer and to copy them into it: appending each
    // line would check the room and call the library for every one of millions of short lines.
    std::size_t size = 0;
    ForEachLine(knowledge,
                [&size](std::string_view line) { size += line.size() + kLineBreak.size(); });
    bytes->resize(size);
    char* out = bytes->data();
    return ForEachLine(knowledge, [&out](std::string_view line) {
        // Terminators are empty views, which may hold no address for memcpy.
        out = std::copy(line.begin(), line.end(), out);
        out = std::copy(kLineBreak.begin(), kLineBreak.end(), out);
    });
}

}  // namespace wobbet
