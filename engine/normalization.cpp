#include "engine/normalization.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace wobbet {
namespace {

constexpr std::array<std::string_view, 64> kStopWords = {
    "THE",    "OF",    "AND",   "A",    "TO",   "IN",    "IS",    "YOU",   "THAT",  "IT",  "HE",
    "FOR",    "WAS",   "ON",    "ARE",  "AS",   "WITH",  "HIS",   "THEY",  "AT",    "BE",  "THIS",
    "FROM",   "I",     "HAVE",  "BY",   "HAD",  "BUT",   "WE",    "THERE", "CAN",   "AN",  "YOUR",
    "THEIR",  "SAID",  "IF",    "DO",   "WILL", "EACH",  "ABOUT", "THEM",  "THEN",  "SHE", "SOME",
    "SO",     "THESE", "OTHER", "MORE", "HAS",  "HER",   "LIKE",  "HIM",   "FIRST", "MY",  "JUST",
    "PLEASE", "COULD", "WOULD", "U",    "R",    "AGENT", "TELL",  "DOES",  "ME",
};

char ToUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool IsWordChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// Whether an upper-case word is one of the common words that a normalised form leaves out.
bool IsStopWord(std::string_view word) {
    return std::find(kStopWords.begin(), kStopWords.end(), word) != kStopWords.end();
}

}  // namespace

void EndWord(std::string* word, std::string* normalised, std::int32_t* wordCount) {
    if (!word->empty() && !IsStopWord(*word)) {
        *normalised += *word;
        *normalised += ' ';
        ++*wordCount;
    }
    word->clear();
}

void ByteTextRules::Normalize(std::string* text, std::int32_t* wordCount) const {
    *wordCount = 0;
    std::string output = " ";
    std::string word;
    bool afterApostrophe = false;
    const std::string& input = *text;
    // One step past the end stands for a closing space, which ends the last word.
    for (std::size_t position = 0; position <= input.size(); ++position) {
        const char c = position < input.size() ? ToUpper(input[position]) : ' ';
        if (c == '\'') {
            afterApostrophe = true;
        } else if (c == ' ') {
            EndWord(&word, &output, wordCount);
            afterApostrophe = false;
        } else if (!afterApostrophe && IsWordChar(c)) {
            word += c;
        }
    }
    *text = std::move(output);
}

void ByteTextRules::Capitalize(std::string* text) const {
    if (!text->empty()) {
        (*text)[0] = ToUpper((*text)[0]);
    }
}

std::string ByteTextRules::FoldCase(std::string_view text) const {
    std::string folded(text);
    for (char& c : folded) {
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return folded;
}

void ReplaceLineBreaks(std::string* text) {
    std::string joined;
    joined.reserve(text->size());
    for (std::size_t i = 0; i < text->size(); ++i) {
        const char c = (*text)[i];
        if (c == '\r' || c == '\n') {
            joined += ' ';
            if (c == '\r' && i + 1 < text->size() && (*text)[i + 1] == '\n') {
                ++i;
            }
        } else {
            joined += c;
        }
    }
    *text = std::move(joined);
}

}  // namespace wobbet
