#pragma once

#include <unicode/uversion.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/normalization.h"
#include "engine/text_rules.h"

U_NAMESPACE_BEGIN
class Normalizer2;
U_NAMESPACE_END

namespace wobbet {

// Text in UTF-8, in any script. A phrase loses the bytes of ill-formed sequences, is brought to
// NFKC and upper-cased with the full mapping of no particular language (then to NFKC again); its
// words are made of letters, marks and numbers, split at spaces only. ASCII text gives the same
// bytes as under the byte rules, and takes their quicker way.
class UnicodeTextRules final : public TextRules {
public:
    UnicodeTextRules();

    void Normalize(std::string* text, std::int32_t* wordCount) const override;
    // A first character that is not well-formed is left as it is.
    void Capitalize(std::string* text) const override;
    // NFKC with full case folding, so that composed and decomposed or full-width forms match too.
    std::string FoldCase(std::string_view text) const override;

private:
    ByteTextRules asciiRules_;
    // Owned by ICU, which keeps them for the life of the process.
    const icu::Normalizer2* compatibility_;
    const icu::Normalizer2* compatibilityCaseFold_;
};

}  // namespace wobbet
