#pragma once

#include <cstdint>
#include <string>

namespace wobbet {

// Reduces a phrase to its normalised form: " WORD WORD " of A-Z and 0-9, stop words removed,
// or " " when no word is left. The word count is the number of words kept.
void Normalize(std::string* text, std::int32_t* wordCount);

// Upper-cases the first byte when it is a to z; any other first byte is left as it is.
void Capitalize(std::string* text);

// The knowledge file holds one entry per line, so a reply typed with Ctrl+Enter or pasted must
// not carry a line break into it: each CR LF, lone LF or lone CR becomes one space.
void ReplaceLineBreaks(std::string* text);

}  // namespace wobbet
