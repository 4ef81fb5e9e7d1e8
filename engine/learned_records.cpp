#include "engine/learned_records.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

namespace wobbet {
namespace {

char FoldCase(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Eight bytes of the text from `at`, the first in the lowest: one load where the processor
// keeps its bytes in that order.
std::uint64_t EightBytesAt(std::string_view text, std::size_t at) {
    std::uint64_t bytes = 0;
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(&bytes, text.data() + at, sizeof bytes);
    } else {
        for (std::size_t i = 0; i < sizeof bytes; ++i) {
            bytes |= std::uint64_t{static_cast<unsigned char>(text[at + i])} << 8 * i;
        }
    }
    return bytes;
}

// The high bit of every zero byte, and maybe of some bytes above one.
std::uint64_t ZeroBytes(std::uint64_t bytes) {
    constexpr std::uint64_t kLowBits = 0x0101010101010101u;
    return (bytes - kLowBits) & ~bytes & (kLowBits << 7);
}

// The search for a lower-case word, ignoring the case of A to Z in the text. Eight places at a
// time are tried on the word's first, second and last bytes together, and only where all agree
// is the word compared: the first and last alone let through many places that a common word's
// letters make likely.
class FoldedSearcher {
public:
    explicit FoldedSearcher(std::string_view foldedWord) : word_(foldedWord) {
        if (!word_.empty()) {
            first_ = ByteFilter(word_.front());
            second_ = ByteFilter(word_[std::min<std::size_t>(1, word_.size() - 1)]);
            last_ = ByteFilter(word_.back());
        }
    }

    // Where the word first occurs at or after `from` and ends by `end`, or npos. The bytes
    // after `end` are read where the text has them, so that a search cut short costs no
    // search byte by byte.
    std::size_t Find(std::string_view text, std::size_t from, std::size_t end) const {
        if (end < from + word_.size()) {
            return std::string_view::npos;
        }
        if (word_.empty()) {
            return from;
        }
        const std::size_t lastStart = end - word_.size();
        const std::size_t lastAt = word_.size() - 1;
        const std::size_t secondAt = std::min<std::size_t>(1, lastAt);
        std::size_t at = from;
        for (; at <= lastStart && at + lastAt + 8 <= text.size(); at += 8) {
            std::uint64_t candidates = first_.Matches(EightBytesAt(text, at)) &
                                       second_.Matches(EightBytesAt(text, at + secondAt)) &
                                       last_.Matches(EightBytesAt(text, at + lastAt));
            for (; candidates != 0; candidates &= candidates - 1) {
                const std::size_t candidate =
                    at + static_cast<std::size_t>(std::countr_zero(candidates)) / 8;
                if (candidate > lastStart) {
                    return std::string_view::npos;
                }
                if (MatchesAt(text, candidate)) {
                    return candidate;
                }
            }
        }
        for (; at <= lastStart; ++at) {
            if (MatchesAt(text, at)) {
                return at;
            }
        }
        return std::string_view::npos;
    }

private:
    // Finds, eight at a time, the bytes that may fold to one byte of the word: a lower-case
    // letter is also found upper-case, by setting the bit that tells the two apart.
    struct ByteFilter {
        ByteFilter() = default;
        explicit ByteFilter(char wordByte) {
            constexpr std::uint64_t kLowBits = 0x0101010101010101u;
            const auto byte = static_cast<unsigned char>(wordByte);
            caseBits = byte >= 'a' && byte <= 'z' ? kLowBits * 0x20 : 0;
            broadcast = kLowBits * byte;
        }
        std::uint64_t Matches(std::uint64_t bytes) const {
            return ZeroBytes((bytes | caseBits) ^ broadcast);
        }

        std::uint64_t caseBits = 0;
        std::uint64_t broadcast = 0;
    };

    bool MatchesAt(std::string_view text, std::size_t at) const {
        for (std::size_t i = 0; i < word_.size(); ++i) {
            if (FoldCase(text[at + i]) != word_[i]) {
                return false;
            }
        }
        return true;
    }

    std::string_view word_;
    ByteFilter first_;
    ByteFilter second_;
    ByteFilter last_;
};

// One bit for each word of a filter, eight words at a time: a byte per record and per keyword
// keeps the tables the passes look up in the processor's nearest caches.
using WordBits = std::uint8_t;
constexpr std::size_t kWordsAtATime = 8;

WordBits WordBit(std::size_t word) {
    return static_cast<WordBits>(1u << word);
}

bool IsFilterSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::vector<std::string> FilterWords(std::string_view filter, const TextRules& rules) {
    std::vector<std::string> words;
    std::string word;
    for (const char c : filter) {
        if (!IsFilterSpace(c)) {
            word += c;
        } else if (!word.empty()) {
            words.push_back(rules.FoldCase(word));
            word.clear();
        }
    }
    if (!word.empty()) {
        words.push_back(rules.FoldCase(word));
    }
    return words;
}

bool ContainsFolded(std::string_view text, std::string_view foldedWord) {
    return FoldedSearcher(foldedWord).Find(text, 0, text.size()) != std::string_view::npos;
}

// The bits of the words that the text holds. The searcher folds the case of ASCII itself; any
// other text is folded by the rules first.
WordBits WordsIn(std::string_view text, std::span<const std::string> words,
                 const TextRules& rules) {
    std::string folded;
    if (!IsAscii(text)) {
        folded = rules.FoldCase(text);
        text = folded;
    }
    WordBits bits = 0;
    for (std::size_t i = 0; i < words.size(); ++i) {
        bits |= ContainsFolded(text, words[i]) ? WordBit(i) : WordBits{0};
    }
    return bits;
}

// The bits of the words that the keyword entry holds; the context marker holds none.
WordBits WordsInEntry(std::string_view entry, std::span<const std::string> words,
                      const TextRules& rules) {
    return entry != KnowledgeBase::kContextMarker ? WordsIn(entry, words, rules) : 0;
}

// Where reply `record` ends in the reply text.
std::size_t ReplyEnd(const KnowledgeBase& knowledge, std::size_t record) {
    const std::string_view reply = knowledge.Response(record);
    return static_cast<std::size_t>(reply.data() - knowledge.ReplyText().data()) + reply.size();
}

// Where the first byte beyond ASCII stands at or after `from`, or the text's size: eight bytes
// at a time, as nearly all text is ASCII.
std::size_t FirstNonAscii(std::string_view text, std::size_t from) {
    constexpr std::uint64_t kHighBits = 0x8080808080808080u;
    for (; from + 8 <= text.size(); from += 8) {
        std::uint64_t chunk = 0;
        std::memcpy(&chunk, text.data() + from, 8);
        if ((chunk & kHighBits) != 0) {
            break;
        }
    }
    while (from < text.size() && static_cast<unsigned char>(text[from]) < 0x80) {
        ++from;
    }
    return from;
}

// The first record from `record` on whose reply ends after `at`.
std::size_t RecordHolding(const KnowledgeBase& knowledge, std::size_t record, std::size_t at) {
    std::size_t last = knowledge.RecordCount();
    while (record < last) {
        const std::size_t middle = record + (last - record) / 2;
        if (ReplyEnd(knowledge, middle) <= at) {
            record = middle + 1;
        } else {
            last = middle;
        }
    }
    return record;
}

// Sets the words' bits for every learned record whose reply holds more than ASCII, which the
// search through the whole reply text does not fold. The reply text is searched whole for such
// bytes, so that the records of ASCII replies are never visited.
void MarkOtherReplies(const KnowledgeBase& knowledge, std::span<const std::string> words,
                      const TextRules& rules, std::vector<WordBits>* found) {
    if (knowledge.RecordCount() <= kSeedResponseCount) {
        return;
    }
    const std::string_view text =
        knowledge.ReplyText().substr(0, ReplyEnd(knowledge, knowledge.RecordCount() - 1));
    std::size_t record = kSeedResponseCount;
    for (std::size_t at = FirstNonAscii(text, ReplyEnd(knowledge, record - 1)); at < text.size();
         at = FirstNonAscii(text, ReplyEnd(knowledge, record))) {
        record = RecordHolding(knowledge, record, at);
        (*found)[record - kSeedResponseCount] |= WordsIn(knowledge.Response(record), words, rules);
    }
}

// Where reply `record` begins in the reply text.
std::size_t ReplyBegin(const KnowledgeBase& knowledge, std::size_t record) {
    return static_cast<std::size_t>(knowledge.Response(record).data() -
                                    knowledge.ReplyText().data());
}

// Sets the word's bit for every learned record whose reply holds it. Records that hold the word
// already are passed over; the replies of each run of others are searched as one text, and the
// record of an occurrence is found by walking forward.
void MarkReplies(const KnowledgeBase& knowledge, const std::string& word, WordBits bit,
                 std::vector<WordBits>* found) {
    const std::string_view text = knowledge.ReplyText();
    const FoldedSearcher searcher(word);
    const std::size_t records = knowledge.RecordCount();
    const auto holds = [&](std::size_t record) {
        return ((*found)[record - kSeedResponseCount] & bit) != 0;
    };
    std::size_t record = kSeedResponseCount;
    while (true) {
        while (record < records && holds(record)) {
            ++record;
        }
        if (record >= records) {
            return;
        }
        std::size_t runEnd = record + 1;
        while (runEnd < records && !holds(runEnd)) {
            ++runEnd;
        }
        const std::size_t end = ReplyEnd(knowledge, runEnd - 1);
        std::size_t from = ReplyBegin(knowledge, record);
        std::size_t recordEnd = ReplyEnd(knowledge, record);
        for (std::size_t at = searcher.Find(text, from, end); at != std::string_view::npos;
             at = searcher.Find(text, from, end)) {
            while (recordEnd <= at && ++record < runEnd) {
                recordEnd = ReplyEnd(knowledge, record);
            }
            if (record == runEnd) {
                break;
            }
            // A match running on into the next reply starts the search again one byte further.
            if (at + word.size() <= recordEnd) {
                (*found)[record - kSeedResponseCount] |= bit;
                from = recordEnd;
            } else {
                from = at + 1;
            }
        }
        record = runEnd;
    }
}

// Sets *found, for each learned record, to the bits of the words its keywords hold: one pass
// over the learned records' entries, in which a terminator closes a record's group.
void MarkKeywords(const KnowledgeBase& knowledge, std::span<const std::string> words,
                  const TextRules& rules, std::vector<WordBits>* found) {
    if (knowledge.RecordCount() <= kSeedResponseCount) {
        return;
    }
    const KeywordDictionary& dictionary = knowledge.Dictionary();
    std::vector<WordBits> wordsInId(dictionary.Size());
    for (std::uint32_t id = 0; id < dictionary.Size(); ++id) {
        wordsInId[id] = WordsInEntry(dictionary.Text(id), words, rules);
    }
    // A terminator holds no word, not even one that folds to nothing.
    const std::uint32_t terminator = dictionary.Find(KnowledgeBase::kTerminator);
    if (terminator != KeywordDictionary::kNotFound) {
        wordsInId[terminator] = 0;
    }
    const std::size_t end = knowledge.GroupTerminator(knowledge.RecordCount() - 1) + 1;
    std::size_t entry = knowledge.GroupBegin(kSeedResponseCount);
    std::size_t record = 0;
    WordBits bits = 0;
    // Written at every entry and moved on at a terminator, without a branch that groups of
    // every length would make the processor guess wrong. Only the newest entries, after all
    // the others, have no number.
    for (; entry < end; ++entry) {
        const std::uint32_t id = knowledge.KeywordId(entry);
        if (id == KeywordDictionary::kNotFound) {
            break;
        }
        const std::size_t closesGroup = id == terminator ? 1 : 0;
        bits |= wordsInId[id];
        (*found)[record] = bits;
        record += closesGroup;
        bits &= static_cast<WordBits>(closesGroup - 1);
    }
    for (; entry < end; ++entry) {
        const std::string_view text = knowledge.Keyword(entry);
        if (text == KnowledgeBase::kTerminator) {
            (*found)[record++] = bits;
            bits = 0;
        } else {
            bits |= WordsInEntry(text, words, rules);
        }
    }
}

}  // namespace

std::size_t LearnedRecordCount(const KnowledgeBase& knowledge) {
    return knowledge.RecordCount() > kSeedResponseCount
               ? knowledge.RecordCount() - kSeedResponseCount
               : 0;
}

std::size_t LearnedRecordAtRow(const KnowledgeBase& knowledge, std::size_t row) {
    return knowledge.RecordCount() - 1 - row;
}

RecordText DescribeRecord(const KnowledgeBase& knowledge, std::size_t record) {
    RecordText text{knowledge.Response(record), {}, {}};
    std::string* column = &text.keywords;
    for (std::size_t entry = knowledge.GroupBegin(record);
         entry < knowledge.GroupTerminator(record); ++entry) {
        const std::string_view keyword = knowledge.Keyword(entry);
        if (keyword == KnowledgeBase::kContextMarker) {
            column = &text.contextKeywords;
            continue;
        }
        if (!column->empty()) {
            *column += ' ';
        }
        *column += keyword;
    }
    return text;
}

std::vector<std::size_t> FilterLearnedRecords(const KnowledgeBase& knowledge,
                                              std::string_view filter, const TextRules& rules) {
    const std::vector<std::string> words = FilterWords(filter, rules);
    const std::size_t count = LearnedRecordCount(knowledge);
    std::vector<std::size_t> records;
    if (words.empty()) {
        for (std::size_t row = 0; row < count; ++row) {
            records.push_back(LearnedRecordAtRow(knowledge, row));
        }
        return records;
    }
    // The records that hold every word of the first few, then those of them that hold the next
    // few as well, and so on.
    std::vector<WordBits> found;
    for (std::size_t first = 0; first < words.size(); first += kWordsAtATime) {
        const auto chunk = std::span(words).subspan(
            first, std::min<std::size_t>(kWordsAtATime, words.size() - first));
        found.assign(count, 0);
        MarkKeywords(knowledge, chunk, rules, &found);
        for (std::size_t i = 0; i < chunk.size(); ++i) {
            MarkReplies(knowledge, chunk[i], WordBit(i), &found);
        }
        MarkOtherReplies(knowledge, chunk, rules, &found);
        const auto all = static_cast<WordBits>((1u << chunk.size()) - 1);
        const auto holdsAll = [&](std::size_t record) {
            return found[record - kSeedResponseCount] == all;
        };
        if (first == 0) {
            // Each row is written and kept when it matches, without a branch that the records'
            // own order would make the processor guess wrong; one place more takes the last
            // rows that are not kept.
            const auto matching =
                static_cast<std::size_t>(std::count(found.begin(), found.end(), all));
            records.resize(matching + 1);
            std::size_t kept = 0;
            for (std::size_t row = 0; row < count; ++row) {
                records[kept] = LearnedRecordAtRow(knowledge, row);
                kept += static_cast<std::size_t>(holdsAll(records[kept]));
            }
            records.resize(kept);
        } else {
            std::erase_if(records, [&](std::size_t record) { return !holdsAll(record); });
        }
        if (records.empty()) {
            break;
        }
    }
    return records;
}

}  // namespace wobbet
