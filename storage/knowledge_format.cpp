#include "storage/knowledge_format.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace wobbet {
namespace {

constexpr std::string_view kLineBreak = "\r\n";
// Small enough to stay in the caches beside the table of short lines.
constexpr std::size_t kPieceSize = std::size_t{256} * 1024;

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

// A short entry's line ready to be copied whole: the entry, the line break and, in the last
// byte, the line's length; 0 there marks an entry too long for it.
struct ShortLine {
    std::array<char, 16> bytes{};
};

// A million lines cover the entries of any brain a person taught (a few tens of thousands) and
// bound what the table adds to a save's memory, 16 MB.
constexpr std::size_t kShortLineLimit = std::size_t{1} << 20;

// The lines of the short entries by dictionary number, built once per save, so that each of the
// millions of entries written is one fixed-size copy from a table that stays in the caches.
std::vector<ShortLine> ShortLines(const KeywordDictionary& dictionary) {
    std::vector<ShortLine> lines(std::min(dictionary.Size(), kShortLineLimit));
    for (std::size_t id = 0; id < lines.size(); ++id) {
        const std::string_view entry = dictionary.Text(static_cast<std::uint32_t>(id));
        const std::size_t length = entry.size() + kLineBreak.size();
        if (length < lines[id].bytes.size()) {
            char* const out = std::copy(entry.begin(), entry.end(), lines[id].bytes.begin());
            std::copy(kLineBreak.begin(), kLineBreak.end(), out);
            lines[id].bytes.back() = static_cast<char>(length);
        }
    }
    return lines;
}

// The lines of a batch of entries, looked up together: as no lookup depends on another, the
// processor fetches those out of the caches at once instead of one after another.
class LineBatch {
public:
    static constexpr std::size_t kSize = 64;

    explicit LineBatch(const KnowledgeBase& knowledge) : knowledge_(knowledge) {}

    // The entry's short line, or null for an entry too long for one or among the newest, which
    // have no number yet: then TextOf gives its text.
    const ShortLine* LineOf(std::size_t position) {
        if (position - first_ >= read_) {
            Read(position);
        }
        return lines_[position - first_];
    }
    std::string_view TextOf(std::size_t position) const { return texts_[position - first_]; }

private:
    void Read(std::size_t first) {
        const std::size_t end = std::min(first + kSize, knowledge_.KeywordCount());
        first_ = first;
        read_ = end - first;
        for (std::size_t position = first; position < end; ++position) {
            const std::uint32_t id = knowledge_.KeywordId(position);
            const ShortLine* line = id < shortLines_.size() ? &shortLines_[id] : nullptr;
            if (line == nullptr || line->bytes.back() == 0) {
                line = nullptr;
                texts_[position - first] = knowledge_.Keyword(position);
            }
            lines_[position - first] = line;
        }
    }

    const KnowledgeBase& knowledge_;
    const std::vector<ShortLine> shortLines_ = ShortLines(knowledge_.Dictionary());
    std::array<const ShortLine*, kSize> lines_{};
    std::array<std::string_view, kSize> texts_{};
    std::size_t first_ = 0;
    std::size_t read_ = 0;
};

// Gathers lines into a piece and passes each piece on as it fills.
class PieceBuffer {
public:
    explicit PieceBuffer(const WritePiece& write)
        : write_(write), piece_(std::make_unique_for_overwrite<char[]>(kPieceSize)) {}

    bool AddShortLine(const ShortLine& line) {
        if (kPieceSize - used_ < line.bytes.size() && !Pass()) {
            return false;
        }
        std::memcpy(piece_.get() + used_, line.bytes.data(), line.bytes.size());
        used_ += static_cast<unsigned char>(line.bytes.back());
        return true;
    }
    bool AddLine(std::string_view text) { return Add(text) && Add(kLineBreak); }
    bool Pass() {
        const bool taken = write_(std::string_view(piece_.get(), used_));
        used_ = 0;
        return taken;
    }

private:
    bool Add(std::string_view bytes) {
        while (bytes.size() > kPieceSize - used_) {
            const std::size_t room = kPieceSize - used_;
            std::copy_n(bytes.begin(), room, piece_.get() + used_);
            used_ = kPieceSize;
            bytes.remove_prefix(room);
            if (!Pass()) {
                return false;
            }
        }
        // Terminators are empty views, which may hold no address for memcpy.
        std::copy(bytes.begin(), bytes.end(), piece_.get() + used_);
        used_ += bytes.size();
        return true;
    }

    const WritePiece& write_;
    std::unique_ptr<char[]> piece_;
    std::size_t used_ = 0;
};

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

WriteOutcome WriteKnowledge(const KnowledgeBase& knowledge, const WritePiece& write) {
    LineBatch lines(knowledge);
    PieceBuffer out(write);
    const std::size_t count = knowledge.KeywordCount();
    // The built-in groups are not written, but their terminators still count records, so the
    // first learned group pairs with the first learned reply.
    std::size_t record = 0;
    for (std::size_t position = 0; position < std::min(count, kSeedKeywordCount); ++position) {
        if (knowledge.Keyword(position).empty()) {
            ++record;
        }
    }
    WriteOutcome outcome = WriteOutcome::kComplete;
    for (std::size_t position = kSeedKeywordCount; position < count; ++record) {
        if (record >= knowledge.ResponseCount()) {
            outcome = WriteOutcome::kMisaligned;
            break;
        }
        if (!out.AddLine(knowledge.Response(record))) {
            return WriteOutcome::kStopped;
        }
        // The group runs to its terminator, or to the end for one not closed yet.
        const std::size_t groupEnd =
            record < knowledge.GroupCount() ? knowledge.GroupTerminator(record) + 1 : count;
        for (; position < groupEnd; ++position) {
            const ShortLine* const line = lines.LineOf(position);
            const bool added =
                line != nullptr ? out.AddShortLine(*line) : out.AddLine(lines.TextOf(position));
            if (!added) {
                return WriteOutcome::kStopped;
            }
        }
    }
    return out.Pass() ? outcome : WriteOutcome::kStopped;
}

WriteOutcome WriteKnowledge(const KnowledgeBase& knowledge, std::string* bytes) {
    bytes->clear();
    return WriteKnowledge(knowledge, [bytes](std::string_view piece) {
        bytes->append(piece);
        return true;
    });
}

}  // namespace wobbet
