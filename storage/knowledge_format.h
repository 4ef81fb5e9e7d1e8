#pragma once

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
};

// Appends the records held in the bytes behind the tables' current content, one entry per line.
// CR LF and a lone LF end a line, a lone CR is part of its line and a last line without a line
// break still counts. A file that ends inside a record has that record's group closed, so that
// records learned later keep their own keywords. What was read before a stop stays appended.
ReadOutcome ReadKnowledge(std::string_view bytes, KnowledgeBase& knowledge);

// Replaces *bytes by the learned records (everything after the built-in ones), each line ended
// by CR LF. Throws std::bad_alloc when memory runs out.
WriteOutcome WriteKnowledge(const KnowledgeBase& knowledge, std::string* bytes);

}  // namespace wobbet
