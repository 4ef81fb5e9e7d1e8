#pragma once

#include <cstddef>

#include "engine/knowledge_base.h"

namespace wobbet {

struct MergeCounts {
    std::size_t added = 0;
    // Records identical to one already held, or to an earlier one of those merged.
    std::size_t alreadyKnown = 0;
};

// Appends the records of `from` behind those of `into`, in their order, skipping every record
// identical to one `into` holds by then: the same reply and the same keyword entries in the same
// order, context section included. Each record is looked up by a hash, so a million records on
// each side take one pass each. All or nothing: when memory runs out, the records appended so
// far are taken out again before std::bad_alloc goes on to the caller.
MergeCounts AppendNewRecords(KnowledgeBase& into, const KnowledgeBase& from);

}  // namespace wobbet
