#pragma once

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

// Passes the learned records (everything after the built-in ones), each line ended by CR LF, to
// `write` in order, in pieces of 256 KB or less: a save needs no copy of the whole file.
// There is always at least one piece, empty when nothing was learned. Throws std::bad_alloc when
// memory runs out.
WriteOutcome WriteKnowledge(const KnowledgeBase& knowledge, const WritePiece& write);
// The same bytes, replacing *bytes.
WriteOutcome WriteKnowledge(const KnowledgeBase& knowledge, std::string* bytes);

}  // namespace wobbet
