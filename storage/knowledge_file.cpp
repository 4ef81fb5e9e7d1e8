#include "storage/knowledge_file.h"

#include <new>

#include "engine/conversation_engine.h"
#include "storage/knowledge_format.h"

namespace wobbet {

std::string KnowledgeFile::TemporaryPath() const {
    // Named after the process, so that two programs saving at once never share a file.
    return path_ + "." + std::to_string(CurrentProcessId()) + ".tmp";
}

void KnowledgeFile::FailLoad(ConversationHost& host, std::string_view reason) {
    noSave_ = true;
    host.ShowMessage(std::string(reason) + std::string(kNoSaveSuffix));
}

void KnowledgeFile::LoadKnowledge(KnowledgeBase& knowledge, ConversationHost& host) {
    ReadOutcome outcome = ReadOutcome::kComplete;
    try {
        std::string bytes;
        switch (fileSystem_.ReadAll(path_, &bytes)) {
            case FileSystem::ReadResult::kMissing:
                return;
            case FileSystem::ReadResult::kFailed:
                FailLoad(host, kLoadFailedMessage);
                return;
            case FileSystem::ReadResult::kRead:
                break;
        }
        outcome = ReadKnowledge(bytes, knowledge);
    } catch (const std::bad_alloc&) {
        outcome = ReadOutcome::kOutOfMemory;
    }
    switch (outcome) {
        case ReadOutcome::kComplete:
            break;
        case ReadOutcome::kMisaligned:
            FailLoad(host, kMisalignmentMessage);
            break;
        case ReadOutcome::kOutOfMemory:
            FailLoad(host, kOutOfMemoryMessage);
            break;
    }
}

void KnowledgeFile::SaveKnowledge(const KnowledgeBase& knowledge, ConversationHost& host) {
    if (const std::string message = Save(knowledge); !message.empty()) {
        host.ShowMessage(message);
    }
}

std::string KnowledgeFile::Save(const KnowledgeBase& knowledge) {
    if (noSave_) {
        return {};
    }
    WriteOutcome outcome = WriteOutcome::kComplete;
    bool saved = false;
    try {
        std::string bytes;
        outcome = WriteKnowledge(knowledge, &bytes);
        saved = WriteReplacement(bytes);
    } catch (const std::bad_alloc&) {
        // Lack of memory is one more way for the save to fail.
    }
    if (!saved) {
        return std::string(kSaveFailedMessage);
    }
    if (outcome == WriteOutcome::kMisaligned) {
        // The file now holds the complete records before the group without a reply.
        return std::string(kMisalignmentMessage);
    }
    return {};
}

bool KnowledgeFile::WriteReplacement(std::string_view bytes) {
    const std::string temporary = TemporaryPath();
    // A leftover from a run that stopped mid-save, or a link planted in its place, goes first.
    fileSystem_.Remove(temporary);
    const std::optional<FileSystem::Handle> file = fileSystem_.CreateNew(temporary, path_);
    if (!file) {
        return false;
    }
    const bool written = fileSystem_.Write(*file, bytes) && fileSystem_.Flush(*file);
    const bool closed = fileSystem_.Close(*file);
    if (written && closed && fileSystem_.Replace(temporary, path_)) {
        return true;
    }
    fileSystem_.Remove(temporary);
    return false;
}

}  // namespace wobbet
