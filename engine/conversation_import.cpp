#include "engine/conversation_import.h"

namespace wobbet {

void ConversationImport::AddUtterance(std::string_view text) {
    std::string utterance(text);
    if (previous_) {
        engine_.AppendTaughtRecord(records_, std::move(*previous_), utterance);
    }
    previous_ = std::move(utterance);
}

std::string ImportedNotice(const MergeCounts& counts) {
    std::string notice(kImportedNotice);
    notice.replace(notice.find('N'), 1, std::to_string(counts.added));
    notice.replace(notice.find(" M "), 3, " " + std::to_string(counts.alreadyKnown) + " ");
    return notice;
}

}  // namespace wobbet
