#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "engine/conversation_engine.h"
#include "engine/knowledge_base.h"
#include "engine/record_merge.h"

namespace wobbet {

// The notices every program shows after an import; N, M and PATH stand for the figures and the
// path.
inline constexpr std::string_view kImportedNotice = "Imported N new records; M were already known.";
inline constexpr std::string_view kImportUnreadableNotice =
    "Import refused: PATH could not be read; nothing was learned.";

// Gathers the records that a file of conversations teaches: in each conversation, every two
// consecutive utterances make the record Teach stores for them. Records already known, here or
// in the tables, are left for AppendNewRecords to skip.
class ConversationImport {
public:
    explicit ConversationImport(const ConversationEngine& engine) : engine_(engine) {}

    // The next utterance of the conversation going on. May throw std::bad_alloc.
    void AddUtterance(std::string_view text);
    // The next utterance starts a new conversation.
    void EndConversation() { previous_.reset(); }

    KnowledgeBase& Records() { return records_; }

private:
    const ConversationEngine& engine_;
    KnowledgeBase records_;
    std::optional<std::string> previous_;
};

// What reading a conversation file gave: the records it teaches, or why it was refused.
struct ImportedConversations {
    KnowledgeBase records;
    std::string refusal;  // empty when the file was read
    bool cancelled = false;
};

// kImportedNotice filled in.
std::string ImportedNotice(const MergeCounts& counts);

}  // namespace wobbet
