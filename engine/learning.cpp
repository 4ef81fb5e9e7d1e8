#include <new>
#include <span>

#include "engine/conversation_engine.h"
#include "engine/normalization.h"
#include "engine/room_for_one.h"

namespace wobbet {

namespace {

void AppendWords(KnowledgeBase& knowledge, const std::string& normalised) {
    // Skips the leading space; a word is appended at the space that follows it.
    std::string word;
    for (std::size_t i = 1; i < normalised.size(); ++i) {
        if (normalised[i] == ' ') {
            knowledge.AppendKeyword(word);
            word.clear();
        } else {
            word += normalised[i];
        }
    }
}

void PrepareReply(const TextRules& rules, std::string* reply) {
    ReplaceLineBreaks(reply);
    rules.Capitalize(reply);
}

}  // namespace

std::int32_t ConversationEngine::NormalizeTaughtPhrase(std::string* phrase) const {
    std::int32_t wordCount = 0;
    rules_.Normalize(phrase, &wordCount);
    return wordCount;
}

bool ConversationEngine::AppendTaughtRecord(KnowledgeBase& records, std::string phrase,
                                            std::string reply) const {
    // Teach stores no empty reply, which would also break the pairing of the knowledge file.
    if (reply.empty() || NormalizeTaughtPhrase(&phrase) == 0) {
        return false;
    }
    PrepareReply(rules_, &reply);
    const KnowledgeBase::Extent before = records.Size();
    try {
        records.AppendResponse(reply);
        AppendWords(records, phrase);
        records.AppendKeyword(KnowledgeBase::kTerminator);
    } catch (const std::bad_alloc&) {
        records.TruncateTo(before);
        throw;
    }
    return true;
}

void ConversationEngine::Learn(std::string reply) {
    try {
        PrepareReply(rules_, &reply);
        MakeRoomForOne(&lessons_);
        knowledge_.AppendResponse(reply);
        lessons_.push_back(knowledge_.SerialOf(knowledge_.ResponseCount() - 1));
        // The Context state is read again before every pass.
        for (int pass = 0; pass < 1 + (host_.ContextEnabled() ? 1 : 0); ++pass) {
            if (pass == 0) {
                AppendWords(knowledge_, memory_.LastResponse);
            } else {
                knowledge_.AppendKeyword(KnowledgeBase::kContextMarker);
                AppendWords(knowledge_, memory_.LastInput);
            }
        }
        knowledge_.AppendKeyword(KnowledgeBase::kTerminator);
    } catch (const std::bad_alloc&) {
        // What was appended stays; the record is left as far as it got.
        host_.ShowMessage(std::string(kOutOfMemoryMessage));
    }
}

std::optional<std::string> ConversationEngine::ForgetLastLesson() {
    while (!lessons_.empty()) {
        const std::optional<std::size_t> record = knowledge_.FindSerial(lessons_.back());
        lessons_.pop_back();
        // A lesson removed by other means, or left without its group, is passed over.
        if (record && knowledge_.IsLearnedRecord(*record)) {
            std::string reply(knowledge_.Response(*record));
            const std::size_t index = *record;
            knowledge_.RemoveRecords(std::span(&index, 1));
            return reply;
        }
    }
    return std::nullopt;
}

}  // namespace wobbet
