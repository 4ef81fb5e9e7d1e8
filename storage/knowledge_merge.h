#pragma once

#include <string>
#include <string_view>

#include "engine/knowledge_base.h"
#include "engine/record_merge.h"
#include "storage/file_system.h"

namespace wobbet {

// The notices every program shows after a merge; N, M and PATH stand for the figures and the
// path.
inline constexpr std::string_view kMergedNotice = "Merged N new records; M were already known.";
inline constexpr std::string_view kMergeRefusedNotice =
    "Merge refused: PATH is damaged or unreadable; nothing was merged.";

struct MergeResult {
    enum class Outcome {
        kMerged,
        // The file could not be read whole, or it is misaligned: nothing was merged.
        kRefused,
        // Memory ran out while appending: nothing was merged.
        kOutOfMemory,
    };
    Outcome outcome = Outcome::kRefused;
    MergeCounts counts;
};

// Appends the records of another knowledge file behind the tables' own, skipping those already
// known. The file is read whole into tables of its own first, so a damaged one changes nothing.
MergeResult MergeKnowledgeFile(const std::string& path, KnowledgeBase& knowledge,
                               FileSystem& fileSystem = NativeFileSystem());

// The notice for the result: kMergedNotice or kMergeRefusedNotice filled in, or the out of
// memory message.
std::string MergeNotice(const MergeResult& result, std::string_view path);

}  // namespace wobbet
