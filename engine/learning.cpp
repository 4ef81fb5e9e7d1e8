#include <new>

#include "engine/conversation_engine.h"
#include "engine/normalization.h"

namespace wobbet {
namespace {

// The knowledge file holds one entry per line, so a reply typed with Ctrl+Enter or pasted must
// not carry a line break into it: each CR LF, lone LF or lone CR becomes one space.
void ReplaceLineBreaks(std::string* text) {
    std::string joined;
    joined.reserve(text->size());
    for (std::size_t i = 0; i < text->size(); ++i) {
        const char c = (*text)[i];
        if (c == '\r' || c == '\n') {
            joined += ' ';
            if (c == '\r' && i + 1 < text->size() && (*text)[i + 1] == '\n') {
                ++i;
            }
        } else {
            joined += c;
        }
    }
    *text = std::move(joined);
}

}  // namespace

void ConversationEngine::AppendWords(const std::string& normalised) {
    // Skips the leading space; a word is appended at the space that follows it.
    std::string word;
    for (std::size_t i = 1; i < normalised.size(); ++i) {
        if (normalised[i] == ' ') {
            knowledge_.AppendKeyword(word);
            word.clear();
        } else {
            word += normalised[i];
        }
    }
}

void ConversationEngine::Learn(std::string reply) {
    try {
        ReplaceLineBreaks(&reply);
        Capitalize(&reply);
        knowledge_.AppendResponse(reply);
        // The Context state is read again before every pass.
        for (int pass = 0; pass < 1 + (host_.ContextEnabled() ? 1 : 0); ++pass) {
            if (pass == 0) {
                AppendWords(memory_.LastResponse);
            } else {
                knowledge_.AppendKeyword(KnowledgeBase::kContextMarker);
                AppendWords(memory_.LastInput);
            }
        }
        knowledge_.AppendKeyword(KnowledgeBase::kTerminator);
    } catch (const std::bad_alloc&) {
        // What was appended stays; the record is left as far as it got.
        host_.ShowMessage(std::string(kOutOfMemoryMessage));
    }
}

}  // namespace wobbet
