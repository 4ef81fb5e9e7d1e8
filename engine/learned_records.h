#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "engine/knowledge_base.h"
#include "engine/text_rules.h"

namespace wobbet {

// What a list of the learned records shows of one: its reply, and its keywords and context
// keywords each joined by spaces.
struct RecordText {
    std::string_view reply;  // valid until the next change to the tables
    std::string keywords;
    std::string contextKeywords;
};

// The learned records as a list shows them, newest first, read from the tables by position so
// that nothing is copied until a row is shown. Row 0 is the newest record.
std::size_t LearnedRecordCount(const KnowledgeBase& knowledge);
std::size_t LearnedRecordAtRow(const KnowledgeBase& knowledge, std::size_t row);
RecordText DescribeRecord(const KnowledgeBase& knowledge, std::size_t record);

// The learned records, newest first, for which every word of the filter (split at whitespace)
// occurs, ignoring case as the rules fold it, in the reply, the keywords or the context keywords.
// An empty filter matches every record. Every eight filter words cost one pass over the keyword
// table, looking at each distinct keyword once, and each word one search through the replies of
// the records whose keywords lack it.
std::vector<std::size_t> FilterLearnedRecords(const KnowledgeBase& knowledge,
                                              std::string_view filter, const TextRules& rules);

}  // namespace wobbet
