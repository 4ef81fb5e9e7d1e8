// Any bytes on the disk load into freshly seeded tables; what was loaded saves as a well-formed
// file that loads back into the same tables; and a file that was not read whole is never
// overwritten. The file lives in memory here, so each input costs no disk work.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "engine/knowledge_base.h"
#include "storage/knowledge_file.h"
#include "storage/knowledge_format.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/support/recording_host.h"

namespace {

using wobbet::FileSystem;
using wobbet::KnowledgeBase;
using wobbet::fuzzing::Require;

constexpr std::string_view kPath = "Wobbet.dat";

// Files as byte strings; handles are indexes of the files being written.
class MemoryFileSystem final : public FileSystem {
public:
    std::map<std::string, std::string> files;

    ReadResult ReadAll(const std::string& path, std::string* bytes) override {
        const auto file = files.find(path);
        if (file == files.end()) {
            return ReadResult::kMissing;
        }
        *bytes = file->second;
        return ReadResult::kRead;
    }
    std::optional<Handle> CreateNew(const std::string& path, const std::string&) override {
        if (files.count(path) != 0) {
            return std::nullopt;
        }
        files[path];
        open_.push_back(path);
        return static_cast<Handle>(open_.size() - 1);
    }
    bool Write(Handle file, std::string_view bytes) override {
        files[open_[static_cast<std::size_t>(file)]].append(bytes);
        return true;
    }
    bool Flush(Handle) override { return true; }
    bool Close(Handle) override { return true; }
    bool Replace(const std::string& from, const std::string& to) override {
        const auto file = files.find(from);
        if (file == files.end()) {
            return false;
        }
        files[to] = std::move(file->second);
        files.erase(from);
        return true;
    }
    bool Remove(const std::string& path) override { return files.erase(path) != 0; }

private:
    std::vector<std::string> open_;
};

std::size_t GroupCount(const KnowledgeBase& knowledge) {
    std::size_t groups = 0;
    for (std::size_t i = 0; i < knowledge.KeywordCount(); ++i) {
        groups += knowledge.Keyword(i).empty() ? 1u : 0u;
    }
    return groups;
}

bool SameTables(const KnowledgeBase& a, const KnowledgeBase& b) {
    if (a.ResponseCount() != b.ResponseCount() || a.KeywordCount() != b.KeywordCount()) {
        return false;
    }
    for (std::size_t i = 0; i < a.ResponseCount(); ++i) {
        if (a.Response(i) != b.Response(i)) {
            return false;
        }
    }
    for (std::size_t i = 0; i < a.KeywordCount(); ++i) {
        if (a.Keyword(i) != b.Keyword(i)) {
            return false;
        }
    }
    return true;
}

// Every record is a non-empty reply line, its non-empty keyword lines and one empty line, each
// line ended by CR LF; returns the number of records.
std::size_t CheckWellFormed(std::string_view file) {
    std::size_t records = 0;
    bool expectingReply = true;
    std::size_t start = 0;
    while (start < file.size()) {
        const std::size_t end = file.find("\r\n", start);
        Require(end != std::string_view::npos, "every line ends with CR LF");
        const std::string_view line = file.substr(start, end - start);
        Require(line.find('\n') == std::string_view::npos, "no bare LF inside a line");
        if (expectingReply) {
            Require(!line.empty(), "a record starts with a non-empty reply line");
            expectingReply = false;
        } else if (line.empty()) {
            expectingReply = true;
            ++records;
        }
        start = end + 2;
    }
    Require(expectingReply, "the last record ends with its empty line");
    return records;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string original(reinterpret_cast<const char*>(data), size);
    MemoryFileSystem disk;
    disk.files[std::string(kPath)] = original;
    wobbet::testing::RecordingHost host;

    KnowledgeBase loaded;
    loaded.LoadSeedTables();
    wobbet::KnowledgeFile file(std::string(kPath), disk);
    file.LoadKnowledge(loaded, host);
    Require(GroupCount(loaded) == loaded.ResponseCount(),
            "every loaded reply has its group, and every group its reply");
    Require(host.calls.size() == (file.NoSave() ? 1u : 0u),
            "a load shows a message exactly when it stops saving");

    file.SaveKnowledge(loaded, host);
    if (file.NoSave()) {
        Require(disk.files.size() == 1 && disk.files[std::string(kPath)] == original,
                "a file that was not read whole is left exactly as it was");
    }

    // Whatever was loaded, even up to a misalignment, is written whole and reads back the same.
    std::string written;
    Require(wobbet::WriteKnowledge(loaded, &written) == wobbet::WriteOutcome::kComplete,
            "loaded tables are always written whole");
    Require(CheckWellFormed(written) == loaded.ResponseCount() - wobbet::kSeedResponseCount,
            "one written record per learned reply");
    if (!file.NoSave()) {
        Require(disk.files.size() == 1 && disk.files[std::string(kPath)] == written,
                "a save leaves only the knowledge file, holding the loaded records");
    }

    KnowledgeBase reloaded;
    reloaded.LoadSeedTables();
    Require(wobbet::ReadKnowledge(written, reloaded) == wobbet::ReadOutcome::kComplete,
            "a written file reads back without a stop");
    Require(SameTables(loaded, reloaded), "saving then loading gives the same tables");
    std::string rewritten;
    wobbet::WriteKnowledge(reloaded, &rewritten);
    Require(rewritten == written, "writing again gives the same bytes");
    return 0;
}
