#include "storage/knowledge_format.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace wobbet {
namespace {

constexpr std::string_view kLineBreak = "\r\n";

// Calls onLine for each line of the learned records, in the file's order.
template <typename OnLine>
WriteOutcome ForEachLine(const KnowledgeBase& knowledge, OnLine onLine) {
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
                onLine(knowledge.Response(record));
                atRecordStart = false;
            }
            onLine(entry);
        }
        if (entry.empty()) {
            atRecordStart = true;
            ++record;
        }
    }
    return WriteOutcome::kComplete;
}

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
    // The lines are walked twice, to size the buffer and to copy them into it: appending each
    // line would check the room and call the library for every one of millions of short lines.
    std::size_t size = 0;
    ForEachLine(knowledge,
                [&size](std::string_view line) { size += line.size() + kLineBreak.size(); });
    bytes->resize(size);
    char* out = bytes->data();
    return ForEachLine(knowledge, [&out](std::string_view line) {
        // Terminators are empty views, which may hold no address for memcpy.
        out = std::copy(line.begin(), line.end(), out);
        out = std::copy(kLineBreak.begin(), kLineBreak.end(), out);
    });
}

}  // namespace wobbet
