#include "storage/knowledge_format.h"

#include <cstring>
#include <new>

namespace wobbet {
namespace {

constexpr std::string_view kLineBreak = "\r\n";

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

WriteOutcome WriteKnowledge(const KnowledgeBase& knowledge, std::string* bytes) {
    bytes->clear();
    // An upper bound, so the text is built without regrowing.
    std::size_t capacity = 0;
    for (std::size_t i = kSeedKeywordCount; i < knowledge.KeywordCount(); ++i) {
        capacity += knowledge.Keyword(i).size() + kLineBreak.size();
    }
    for (std::size_t i = kSeedResponseCount; i < knowledge.ResponseCount(); ++i) {
        capacity += knowledge.Response(i).size() + kLineBreak.size();
    }
    bytes->reserve(capacity);

    const auto appendLine = [bytes](std::string_view line) {
        bytes->append(line);
        bytes->append(kLineBreak);
    };
    // The built-in groups are not written, but their terminators still count records, so the
    // first learned group pairs with the first learned reply.
    bool atRecordStart = true;
    std::size_t record = 0;
    for (std::size_t position = 0; position < knowledge.KeywordCount(); ++position) {
        const std::string_view entry = knowledge.Keyword(position);
        if (position >= kSeedKeywordCount) {
            if (atRecordStart) {
                if (record >= knowledge.ResponseCount()) {
                    return WriteOutcome::kMisaligned;
                }
                appendLine(knowledge.Response(record));
                atRecordStart = false;
            }
            appendLine(entry);
        }
        if (entry.empty()) {
            atRecordStart = true;
            ++record;
        }
    }
    return WriteOutcome::kComplete;
}

}  // namespace wobbet
