#include "app/import/conversation_file.h"

#include <yaml-cpp/depthguard.h>
#include <yaml-cpp/yaml.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <new>
#include <string_view>
#include <utility>

namespace wobbet {
namespace {

// yaml-cpp holds a whole corpus as nodes, many times the size of its text; the corpora people
// share are far smaller than this.
constexpr std::uintmax_t kLargestCorpus = 16u << 20;
// How far aliases may make a corpus expand: text visited, counting each node as a few bytes,
// against the file's size. A corpus without aliases stays well within it.
constexpr std::uintmax_t kExpansionFactor = 16;
constexpr std::uintmax_t kNodeCost = 8;
constexpr std::size_t kLinesBetweenProgress = 1 << 16;

std::string Refusal(std::string_view path, std::string_view why) {
    return "Import refused: " + std::string(path) + std::string(why) + "; nothing was learned.";
}

// Lines are counted from 1; a mark from before the first line, as an empty document's, is on it.
std::string LineAt(const YAML::Mark& mark) {
    return ", line " + std::to_string(std::max(mark.line, 0) + 1) + ": ";
}

std::string UnreadableNotice(std::string_view path) {
    std::string notice(kImportUnreadableNotice);
    notice.replace(notice.find("PATH"), 4, path);
    return notice;
}

bool IsCorpusName(std::string_view path) {
    return path.ends_with(".yml") || path.ends_with(".yaml");
}

// Splits a transcript into utterances and conversations as its bytes come, a line at a time.
class TranscriptReader {
public:
    TranscriptReader(ConversationImport& import, std::uintmax_t size,
                     const ImportProgress& progress)
        : import_(import), size_(size), progress_(progress) {}

    // Takes the next bytes of the file; false when the reading is to stop.
    bool Take(std::string_view bytes) {
        std::size_t begin = 0;
        for (std::size_t end = bytes.find('\n'); end != std::string_view::npos;
             begin = end + 1, end = bytes.find('\n', begin)) {
            std::string_view line = bytes.substr(begin, end - begin);
            if (!partial_.empty()) {
                partial_.append(line);
                line = partial_;
            }
            if (line.ends_with('\r')) {
                line.remove_suffix(1);
            }
            TakeLine(line);
            partial_.clear();
            if (++lines_ % kLinesBetweenProgress == 0 && progress_ &&
                !progress_(static_cast<double>(taken_ + end + 1) /
                           static_cast<double>(std::max(size_, taken_ + end + 1)))) {
                return false;
            }
        }
        partial_.append(bytes.substr(begin));
        taken_ += bytes.size();
        return true;
    }
    // The last line, when the file does not end with a line break, is taken as it stands.
    void Finish() {
        if (!partial_.empty()) {
            TakeLine(partial_);
        }
    }

private:
    // A line of spaces and tabs only, or none, ends a conversation.
    void TakeLine(std::string_view line) {
        if (line.find_first_not_of(" \t") == std::string_view::npos) {
            import_.EndConversation();
        } else {
            import_.AddUtterance(line);
        }
    }

    ConversationImport& import_;
    std::uintmax_t size_;
    const ImportProgress& progress_;
    std::string partial_;  // the start of a line whose end has not come yet
    std::uintmax_t taken_ = 0;
    std::size_t lines_ = 0;
};

// Gathers a transcript's records, reading it twice in pieces rather than holding it whole: first
// to count its lines and words, so that the records are gathered in tables of the right size,
// since tables grown by doubling leave as much again behind in freed memory.
FileSystem::ReadResult ReadTranscript(const std::string& path, FileSystem& fileSystem,
                                      ConversationImport& import, const ImportProgress& progress,
                                      bool* cancelled) {
    std::size_t bytes = 0;
    std::size_t lines = 1;
    std::size_t words = 0;
    bool inWord = false;
    const FileSystem::ReadResult counted =
        fileSystem.ReadInPieces(path, [&](std::string_view piece) {
            bytes += piece.size();
            for (const char c : piece) {
                const bool apart = c == ' ' || c == '\t' || c == '\n' || c == '\r';
                lines += c == '\n' ? 1 : 0;
                words += !apart && !inWord ? 1 : 0;
                inWord = !apart;
            }
            return true;
        });
    if (counted != FileSystem::ReadResult::kRead) {
        return counted;
    }
    // Every line with a word may be a reply, each closing a group of its phrase's words.
    const std::size_t replies = std::min(lines, words);
    import.Records().Reserve({replies, words + replies}, bytes);
    TranscriptReader reader(import, bytes, progress);
    *cancelled = false;
    const FileSystem::ReadResult read = fileSystem.ReadInPieces(path, [&](std::string_view piece) {
        *cancelled = !reader.Take(piece);
        return !*cancelled;
    });
    if (read == FileSystem::ReadResult::kRead && !*cancelled) {
        reader.Finish();
    }
    return read;
}

// Walks the corpus's conversations, refusing one that is not shaped as they must be or that
// aliases make expand too far.
class CorpusWalk {
public:
    CorpusWalk(std::string_view source, ConversationImport& import, const ImportProgress& progress)
        : source_(source),
          import_(import),
          progress_(progress),
          budget_(kExpansionFactor * source.size() + (1u << 20)) {}

    // Empty when every conversation was taken; else what is wrong, and where.
    std::string Walk(const YAML::Node& document) {
        if (!document.IsMap() || !document["conversations"]) {
            return At(document, "the corpus is not a mapping with a conversations key");
        }
        const YAML::Node conversations = document["conversations"];
        if (!conversations.IsSequence()) {
            return At(conversations, "conversations is not a list");
        }
        std::size_t done = 0;
        for (const YAML::Node& conversation : conversations) {
            if (!conversation.IsSequence()) {
                return At(conversation, "a conversation is not a list of texts");
            }
            for (const YAML::Node& utterance : conversation) {
                if (!Spend(kNodeCost)) {
                    return At(utterance, "aliases expand the corpus too far");
                }
                if (!utterance.IsScalar() && !utterance.IsNull()) {
                    return At(utterance, "a conversation holds a list or a mapping, not a text");
                }
                const std::string text = TextOf(utterance);
                if (!Spend(text.size())) {
                    return At(utterance, "aliases expand the corpus too far");
                }
                import_.AddUtterance(text);
            }
            import_.EndConversation();
            ++done;
            if (progress_ &&
                !progress_(static_cast<double>(done) / static_cast<double>(conversations.size()))) {
                cancelled_ = true;
                return {};
            }
        }
        return {};
    }
    bool Cancelled() const { return cancelled_; }

private:
    static std::string At(const YAML::Node& node, std::string_view what) {
        return LineAt(node.Mark()) + std::string(what);
    }

    bool Spend(std::uintmax_t cost) {
        if (cost > budget_) {
            return false;
        }
        budget_ -= cost;
        return true;
    }

    // The parser gives no text for a plain null, but it was written as one of these, or left
    // empty, and is taken as written.
    std::string TextOf(const YAML::Node& node) const {
        if (node.IsScalar()) {
            return node.Scalar();
        }
        constexpr std::array<std::string_view, 4> kNullSpellings = {"~", "null", "Null", "NULL"};
        const auto at = static_cast<std::size_t>(node.Mark().pos);
        if (at < source_.size()) {
            for (const std::string_view spelling : kNullSpellings) {
                if (source_.substr(at).starts_with(spelling)) {
                    return std::string(spelling);
                }
            }
        }
        return {};
    }

    std::string_view source_;
    ConversationImport& import_;
    const ImportProgress& progress_;
    std::uintmax_t budget_;
    bool cancelled_ = false;
};

}  // namespace

ImportedConversations ReadConversationFile(const std::string& path,
                                           const ConversationEngine& engine, FileSystem& fileSystem,
                                           const ImportProgress& progress) {
    ImportedConversations result;
    const bool corpus = IsCorpusName(path);
    std::error_code sizeError;
    const std::uintmax_t size = std::filesystem::file_size(path, sizeError);
    if (corpus && !sizeError && size > kLargestCorpus) {
        result.refusal = Refusal(path, " is over 16 MB, too large for a conversation corpus");
        return result;
    }
    try {
        ConversationImport import(engine);
        if (!corpus) {
            if (ReadTranscript(path, fileSystem, import, progress, &result.cancelled) !=
                FileSystem::ReadResult::kRead) {
                result.refusal = UnreadableNotice(path);
                return result;
            }
        } else {
            std::string bytes;
            if (fileSystem.ReadAll(path, &bytes) != FileSystem::ReadResult::kRead) {
                result.refusal = UnreadableNotice(path);
                return result;
            }
            YAML::Node document;
            try {
                document = YAML::Load(bytes);
            } catch (const YAML::DeepRecursion& error) {
                result.refusal = Refusal(path, LineAt(error.mark) + "lists or mappings nested " +
                                                   std::to_string(error.depth()) + " deep");
                return result;
            } catch (const YAML::ParserException& error) {
                result.refusal = Refusal(path, LineAt(error.mark) + error.msg);
                return result;
            }
            CorpusWalk walk(bytes, import, progress);
            if (std::string wrong = walk.Walk(document); !wrong.empty()) {
                result.refusal = Refusal(path, wrong);
                return result;
            }
            result.cancelled = walk.Cancelled();
        }
        if (!result.cancelled) {
            result.records = std::move(import.Records());
        }
    } catch (const std::bad_alloc&) {
        // The records gathered went with the reading; the tables were never touched.
        result.refusal = std::string(kOutOfMemoryMessage);
    }
    return result;
}

}  // namespace wobbet
