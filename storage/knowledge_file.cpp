#include "storage/knowledge_file.h"

#include <charconv>
#include <new>

#include "engine/conversation_engine.h"
#include "storage/knowledge_format.h"

namespace wobbet {
namespace {

#ifdef _WIN32
constexpr std::string_view kSeparators = "/\\";
#else
constexpr std::string_view kSeparators = "/";
#endif

// The directory part of a path: empty for a bare name, the root itself for a name in it.
std::string DirectoryOf(const std::string& path) {
    const std::size_t separator = path.find_last_of(kSeparators);
    if (separator == std::string::npos) {
        return {};
    }
    return path.substr(0, separator == 0 ? 1 : separator);
}

// The process that wrote `entry`, when it is exactly what TemporaryPath names for the file
// called `name`: the name, a dot, a process id as written by std::to_string, and ".tmp".
std::optional<std::uint32_t> TemporaryFileOwner(std::string_view entry, std::string_view name) {
    constexpr std::string_view kSuffix = ".tmp";
    if (name.empty() || entry.size() <= name.size() + 1 + kSuffix.size() ||
        !entry.starts_with(name) || entry[name.size()] != '.' || !entry.ends_with(kSuffix)) {
        return std::nullopt;
    }
    const std::string_view digits =
        entry.substr(name.size() + 1, entry.size() - name.size() - 1 - kSuffix.size());
    std::uint32_t id = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), id);
    if (error != std::errc() || end != digits.data() + digits.size() || digits.front() == '0') {
        return std::nullopt;
    }
    return id;
}

}  // namespace

std::string InUseMessage(std::string_view path) {
    return "Storage error: " + std::string(path) + " is in use by another Wobbet.";
}

std::string NotWritableMessage(std::string_view path) {
    return "Storage error: " + std::string(path) +
           " cannot be written; what is learned in this session will not be kept.";
}

KnowledgeFile::~KnowledgeFile() {
    if (lock_) {
        fileSystem_.Close(*lock_);
    }
}

bool KnowledgeFile::Claim() {
    FileSystem::Handle lock = 0;
    // Beside the file itself, so that every path to it meets the same lock. A folder not made
    // yet, as on an installed copy's first run, is made now: the first save would make it, and
    // a program started before then must meet the lock too.
    const std::string target = fileSystem_.FinalTarget(path_);
    const std::string directory = DirectoryOf(target);
    if (!directory.empty() && fileSystem_.MayWrite(target)) {
        fileSystem_.CreatePrivateDirectories(directory);
    }
    switch (fileSystem_.Lock(target + ".lock", &lock)) {
        case FileSystem::LockResult::kLocked:
            lock_ = lock;
            return true;
        case FileSystem::LockResult::kHeld:
            return false;
        case FileSystem::LockResult::kUnavailable:
            return true;
    }
    return true;
}

void KnowledgeFile::CheckWritable(ConversationHost& host) {
    if (!noSave_ && !fileSystem_.MayWrite(fileSystem_.FinalTarget(path_))) {
        noSave_ = true;
        host.ShowMessage(NotWritableMessage(path_));
    }
}

std::string KnowledgeFile::TemporaryPath() const {
    // Named after the process, so that two programs saving at once never share a file.
    return fileSystem_.FinalTarget(path_) + "." + std::to_string(CurrentProcessId()) + ".tmp";
}

void KnowledgeFile::FailLoad(ConversationHost& host, std::string_view reason) {
    noSave_ = true;
    host.ShowMessage(std::string(reason) + std::string(kNoSaveSuffix));
}

void KnowledgeFile::LoadKnowledge(KnowledgeBase& knowledge, ConversationHost& host) {
    const KnowledgeBase::Extent before = knowledge.Size();
    ReadOutcome outcome = ReadOutcome::kComplete;
    try {
        KnowledgeReader reader(knowledge, fileSystem_.SizeOf(path_).value_or(0));
        switch (fileSystem_.ReadInPieces(
            path_, [&reader](std::string_view piece) { return reader.Read(piece); })) {
            case FileSystem::ReadResult::kMissing:
                return;
            case FileSystem::ReadResult::kFailed:
                // Records from the pieces read before the failure go with the rest.
                knowledge.TruncateTo(before);
                FailLoad(host, kLoadFailedMessage);
                return;
            case FileSystem::ReadResult::kRead:
                break;
        }
        outcome = reader.Finish();
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
        saved = WriteReplacement([this, &knowledge, &outcome](FileSystem::Handle file) {
            // Piece by piece, so that the file's bytes are never all in memory at once.
            outcome = WriteKnowledge(knowledge, [this, file](std::string_view piece) {
                return fileSystem_.Write(file, piece);
            });
            return outcome != WriteOutcome::kStopped;
        });
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

void KnowledgeFile::RemoveLeftoverTemporaryFiles(const std::string& target,
                                                 const std::string& directory) {
    const std::size_t nameStart = directory.empty() ? 0 : target.find_last_of(kSeparators) + 1;
    const std::string_view name = std::string_view(target).substr(nameStart);
    const std::string_view prefix = std::string_view(target).substr(0, nameStart);
    for (const std::string& entry :
         fileSystem_.ListDirectory(directory.empty() ? "." : directory)) {
        const std::optional<std::uint32_t> owner = TemporaryFileOwner(entry, name);
        // A copy still running may be in the middle of its own save.
        if (owner && *owner != CurrentProcessId() && !fileSystem_.ProcessRunning(*owner)) {
            fileSystem_.Remove(std::string(prefix) + entry);
        }
    }
}

bool KnowledgeFile::WriteReplacement(const std::function<bool(FileSystem::Handle)>& writeContent) {
    // Renaming over a link would put a plain file in its place.
    const std::string target = fileSystem_.FinalTarget(path_);
    // An installed copy's first save makes the folder that holds its knowledge.
    const std::string directory = DirectoryOf(target);
    if (!directory.empty() && !fileSystem_.CreatePrivateDirectories(directory)) {
        return false;
    }
    // Saves that were killed midway leave their temporary files behind.
    RemoveLeftoverTemporaryFiles(target, directory);
    const std::string temporary = TemporaryPath();
    // A leftover from a run that stopped mid-save, or a link planted in its place, goes first.
    fileSystem_.Remove(temporary);
    const std::optional<FileSystem::Handle> file = fileSystem_.CreateNew(temporary, target);
    if (!file) {
        return false;
    }
    bool written = false;
    try {
        written = writeContent(*file) && fileSystem_.Flush(*file);
    } catch (const std::bad_alloc&) {
        // Out of memory part-way fails like a full disk: the file is closed and removed below.
    }
    const bool closed = fileSystem_.Close(*file);
    if (written && closed && fileSystem_.Replace(temporary, target)) {
        return true;
    }
    fileSystem_.Remove(temporary);
    return false;
}

}  // namespace wobbet
