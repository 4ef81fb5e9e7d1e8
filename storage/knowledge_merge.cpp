#include "storage/knowledge_merge.h"

#include <new>

#include "engine/conversation_engine.h"
#include "storage/knowledge_format.h"

namespace wobbet {
namespace {

std::string ReplaceFirst(std::string_view text, std::string_view placeholder,
                         std::string_view value) {
    std::string result(text);
    result.replace(result.find(placeholder), placeholder.size(), value);
    return result;
}

}  // namespace

MergeResult MergeKnowledgeFile(const std::string& path, KnowledgeBase& knowledge,
                               FileSystem& fileSystem) {
    MergeResult result;
    try {
        KnowledgeBase other;
        {
            std::string bytes;
            if (fileSystem.ReadAll(path, &bytes) != FileSystem::ReadResult::kRead ||
                ReadKnowledge(bytes, other) != ReadOutcome::kComplete) {
                return result;
            }
        }
        result.outcome = MergeResult::Outcome::kOutOfMemory;
        result.counts = AppendNewRecords(knowledge, other);
        result.outcome = MergeResult::Outcome::kMerged;
    } catch (const std::bad_alloc&) {
        // Refused when it happened while reading, else out of memory, as set above.
    }
    return result;
}

std::string MergeNotice(const MergeResult& result, std::string_view path) {
    switch (result.outcome) {
        case MergeResult::Outcome::kMerged:
            return ReplaceFirst(
                ReplaceFirst(kMergedNotice, "N", std::to_string(result.counts.added)), " M ",
                " " + std::to_string(result.counts.alreadyKnown) + " ");
        case MergeResult::Outcome::kRefused:
            return ReplaceFirst(kMergeRefusedNotice, "PATH", path);
        case MergeResult::Outcome::kOutOfMemory:
            break;
    }
    return std::string(kOutOfMemoryMessage);
}

}  // namespace wobbet
