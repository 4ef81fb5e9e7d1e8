#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

namespace wobbet {

// How a program reads the words of a phrase. Each program picks the rules of the text it is
// given: single bytes of a code page, or UTF-8. The engine compares phrases only in the form
// the rules give them, so one program never mixes two rules.
class TextRules {
public:
    virtual ~TextRules() = default;

    // Reduces a phrase to its normalised form: " WORD WORD ", upper-cased, stop words removed,
    // or " " when no word is left. The word count is the number of words kept.
    virtual void Normalize(std::string* text, std::int32_t* wordCount) const = 0;
    // Upper-cases the first character of a reply; the rest is left as it is.
    virtual void Capitalize(std::string* text) const = 0;
    // The text with differences of case removed, for matching that ignores case. ASCII text
    // folds to the same text in lower case under every rule.
    virtual std::string FoldCase(std::string_view text) const = 0;
};

// Whether the text is plain ASCII, which every rule reads as the byte rule does.
inline bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace wobbet
