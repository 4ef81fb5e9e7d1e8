#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "engine/conversation_host.h"
#include "engine/knowledge_base.h"
#include "storage/file_system.h"

namespace wobbet {

inline constexpr std::string_view kLoadFailedMessage = "Storage error: Load failed.";
inline constexpr std::string_view kSaveFailedMessage = "Storage error: Save failed.";
// Added to every load failure: the file was not read whole, so it must not be overwritten.
inline constexpr std::string_view kNoSaveSuffix = " Records added in this session cannot be saved.";

// Why a program that shares its file with others stops or stops keeping at start.
std::string InUseMessage(std::string_view path);
std::string NotWritableMessage(std::string_view path);

// The knowledge file: the learned records, read once at start and written at shutdown, and by
// a program that shares the file with others also soon after each change. The program owns one;
// each operation shows at most one message through the host.
class KnowledgeFile {
public:
    explicit KnowledgeFile(std::string path, FileSystem& fileSystem = NativeFileSystem())
        : path_(std::move(path)), fileSystem_(fileSystem) {}
    KnowledgeFile(const KnowledgeFile&) = delete;
    KnowledgeFile& operator=(const KnowledgeFile&) = delete;
    ~KnowledgeFile();

    // Keeps other programs off the file, whatever link they reach it by, until this object
    // goes: false when another program holds it. The file's folder is made when missing. Where
    // no lock can be made at all, as in a folder that cannot be written, the file is used
    // without one, since CheckWritable then keeps it from being written.
    bool Claim();
    // Sets NoSave, saying so, when the file, or its folder, cannot be written: then nothing
    // learned would be kept, and a file its owner made read-only is never replaced.
    void CheckWritable(ConversationHost& host);

    // Appends the file's records behind the built-in ones, which the tables must already hold.
    // A missing file is not an error. A file that is there but cannot be read whole is reported
    // and sets NoSave, so that it is never overwritten.
    void LoadKnowledge(KnowledgeBase& knowledge, ConversationHost& host);

    // Writes every learned record unless NoSave is set. The new content is written beside the
    // file and put in its place only once it is on the disk, so a failure anywhere leaves the
    // previous file as it was. A link stays a link: its final target gets the new content. The
    // file's folder is made when missing, and temporary files that saves of copies no longer
    // running left beside the file are removed.
    void SaveKnowledge(const KnowledgeBase& knowledge, ConversationHost& host);
    // The same save, returning the message to show instead of showing it: empty when the file
    // was written. It reads only the tables it is given, so it can write a snapshot (a copy of
    // the knowledge base) on another thread while the conversation goes on, one save at a time.
    std::string Save(const KnowledgeBase& knowledge);

    bool NoSave() const { return noSave_; }
    const std::string& Path() const { return path_; }
    // Where the new content is written before it replaces the file.
    std::string TemporaryPath() const;

private:
    void FailLoad(ConversationHost& host, std::string_view reason);
    // Makes the temporary file and has writeContent fill it: false, and the file goes, when it
    // returns false or runs out of memory.
    bool WriteReplacement(const std::function<bool(FileSystem::Handle)>& writeContent);
    void RemoveLeftoverTemporaryFiles(const std::string& target, const std::string& directory);

    std::string path_;
    FileSystem& fileSystem_;
    bool noSave_ = false;
    std::optional<FileSystem::Handle> lock_;
};

}  // namespace wobbet
