#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/text_rules.h"

namespace wobbet {

// Text read byte by byte, as on a single-byte code page: words are made of A-Z and 0-9 only,
// and case is that of a to z.
class ByteTextRules final : public TextRules {
public:
    void Normalize(std::string* text, std::int32_t* wordCount) const override;
    // Upper-cases the first byte when it is a to z; any other first byte is left as it is.
    void Capitalize(std::string* text) const override;
    std::string FoldCase(std::string_view text) const override;
};

// Ends the word being read from a phrase: unless it is empty or a stop word, it joins the
// normalised form with its closing space and is counted. The word is emptied either way.
void EndWord(std::string* word, std::string* normalised, std::int32_t* wordCount);

// The knowledge file holds one entry per line, so a reply typed with Ctrl+Enter or pasted must
// not carry a line break into it: each CR LF, lone LF or lone CR becomes one space.
void ReplaceLineBreaks(std::string* text);

}  // namespace wobbet
