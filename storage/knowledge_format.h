#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "engine/knowledge_base.h"

namespace wobbet {

// How reading the knowledge file's bytes ended.
enum class ReadOutcome {
    kComplete,
    // An empty line stood where a reply was expected; reading stopped there.
    kMisaligned,
    kOutOfMemory,
};

// How turning the tables into the knowledge file's bytes ended.
enum class WriteOutcome {
    kComplete,
    // A learned keyword group has no reply; the bytes hold the complete records before it.
    kMisaligned,
    // A piece was refused; nothing after it was passed on.
    kStopped,
};

// Takes the next piece of the knowledge file's bytes; false stops the writing.
using WritePiece = std::function<bool(std::string_view)>;

// Appends the records held in the bytes behind the tables' current content, one entry per line.
// CR LF and a lone LF end a line, a lone CR is part of its line and a last line without a line
// break still counts. A file that ends inside a record has that record's group closed, so that
// records learned later keep their own keywords. What was read before a stop stays appended.
ReadOutcome ReadKnowledge(std::string_view bytes, KnowledgeBase& knowledge);

// Reads as ReadKnowledge does from bytes handed over a piece at a time, so that a large file
// need not be held whole; a line may span pieces.
class KnowledgeReader {
public:
    // The file's expected size, where known, lets the tables make room once for all of it.
    explicit KnowledgeReader(KnowledgeBase& knowledge, std::uint64_t expectedBytes = 0);

    // Appends the records the piece's lines complete. False once reading has stopped.
    bool Read(std::string_view piece);
    // Takes the last line, which needs no line break, and tells how reading ended.
    ReadOutcome Finish();

private:
    void TakeLine(std::string_view line);
    void AppendEntries();
    // Makes room for the rest of the file, from what its first bytes held.
    void ReserveForTheRest();

    // Keyword entries wait in a batch, as views into the piece, to be numbered together.
    static constexpr std::size_t kBatchSize = 256;
    // Bytes read before the room for the rest is judged.
    static constexpr std::uint64_t kSampleBytes = 1 << 20;

    KnowledgeBase& knowledge_;
    std::array<std::string_view, kBatchSize> entries_;
    std::size_t entryCount_ = 0;
    // The start of a line that the next piece ends.
    std::string partialLine_;
    bool expectingReply_ = true;
    ReadOutcome outcome_ = ReadOutcome::kComplete;
    std::uint64_t expectedBytes_;
    std::uint64_t readBytes_ = 0;
    bool reserved_ = false;
    // The tables before reading, to tell what the first bytes added.
    KnowledgeBase::Extent startExtent_;
    std::size_t startReplyBytes_;
};

// Passes the learned records (everything after the built-in ones), each line ended by CR LF, to
// `write` in order, in pieces of 256 KB or less: a save needs no copy of the whole file.
// There is always at least one piece, empty when nothing was learned. Throws std::bad_alloc when
// memory runs out.
WriteOutcome WriteKnowledge(const KnowledgeBase& knowledge, const WritePiece& write);
// The same bytes, replacing *bytes.
WriteOutcome WriteKnowledge(const KnowledgeBase& knowledge, std::string* bytes);

}  // namespace wobbet
