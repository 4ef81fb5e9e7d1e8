#include "storage/knowledge_format.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace wobbet {
namespace {

constexpr std::string_view kLineBreak = "\r\n";
// Small enough to stay in the caches beside the table of short lines.
constexpr std::size_t kPieceSize = std::size_t{256} * 1024;

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
    bool expectingReply = true;
    try {
        const char* const data = bytes.data();
        std::size_t lineStart = 0;
        while (lineStart < bytes.size()) {
            const auto* lineFeed = static_cast<const char*>(
                std::memchr(data + lineStart, '\n', bytes.size() - lineStart));
            std::size_t lineEnd =
                lineFeed != nullptr ? static_cast<std::size_t>(lineFeed - data) : bytes.size();
            const std::size_t nextLine = lineFeed != nullptr ? lineEnd + 1 : lineEnd;
            if (lineFeed != nullptr && lineEnd > lineStart && data[lineEnd - 1] == '\r') {
                --lineEnd;
            }
            const std::string_view line(data + lineStart, lineEnd - lineStart);
            lineStart = nextLine;

            if (!line.empty()) {
                if (expectingReply) {
                    knowledge.AppendResponse(line);
                    expectingReply = false;
                } else {
                    knowledge.AppendKeyword(line);
                }
            } else if (!expectingReply) {
                knowledge.AppendKeyword(KnowledgeBase::kTerminator);
                expectingReply = true;
            } else {
                return ReadOutcome::kMisaligned;
            }
        }
        if (!expectingReply) {
            knowledge.AppendKeyword(KnowledgeBase::kTerminator);
        }
    } catch (const std::bad_alloc&) {
        return ReadOutcome::kOutOfMemory;
    }
    return ReadOutcome::kComplete;
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
