#include "app/unicode_text/unicode_text_rules.h"

#include <unicode/locid.h>
#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utf16.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <new>
#include <stdexcept>

namespace wobbet {
namespace {

// Unicode's stream-safe limit: a longer run of combining marks gets a grapheme joiner, which
// keeps putting marks in canonical order linear in the length of the text.
constexpr int kMarkRunLimit = 30;
constexpr UChar32 kGraphemeJoiner = 0x034F;
constexpr std::uint32_t kWordCategories = U_GC_L_MASK | U_GC_M_MASK | U_GC_N_MASK;

// The well-formed characters of the text; each ill-formed sequence is left out, so that the
// pieces on either side join.
icu::UnicodeString DecodeWellFormed(std::string_view text) {
    icu::UnicodeString decoded;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    int markRun = 0;
    for (std::size_t at = 0; at < text.size();) {
        UChar32 c = 0;
        U8_NEXT(bytes, at, text.size(), c);
        if (c < 0) {
            continue;
        }
        markRun = u_getCombiningClass(c) == 0 ? 0 : markRun + 1;
        if (markRun > kMarkRunLimit) {
            decoded.append(kGraphemeJoiner);
            markRun = 1;
        }
        decoded.append(c);
    }
    return decoded;
}

void Check(UErrorCode status, const icu::UnicodeString& text) {
    if (status == U_MEMORY_ALLOCATION_ERROR || text.isBogus()) {
        throw std::bad_alloc();
    }
    if (U_FAILURE(status)) {
        throw std::runtime_error(std::string("Unicode text could not be handled: ") +
                                 u_errorName(status));
    }
}

void AppendUtf8(std::string* text, UChar32 c) {
    const auto codePoint = static_cast<std::uint32_t>(c);
    std::uint8_t bytes[U8_MAX_LENGTH];
    std::int32_t length = 0;
    U8_APPEND_UNSAFE(bytes, length, codePoint);
    text->append(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(length));
}

const icu::Normalizer2* RequireNormalizer(const icu::Normalizer2* normalizer, UErrorCode status) {
    if (U_FAILURE(status)) {
        throw std::runtime_error(std::string("The Unicode data could not be loaded: ") +
                                 u_errorName(status));
    }
    return normalizer;
}

}  // namespace

UnicodeTextRules::UnicodeTextRules() {
    UErrorCode status = U_ZERO_ERROR;
    compatibility_ = RequireNormalizer(icu::Normalizer2::getNFKCInstance(status), status);
    compatibilityCaseFold_ =
        RequireNormalizer(icu::Normalizer2::getNFKCCasefoldInstance(status), status);
}

void UnicodeTextRules::Normalize(std::string* text, std::int32_t* wordCount) const {
    if (IsAscii(*text)) {
        asciiRules_.Normalize(text, wordCount);
        return;
    }
    UErrorCode status = U_ZERO_ERROR;
    icu::UnicodeString phrase = compatibility_->normalize(DecodeWellFormed(*text), status);
    phrase.toUpper(icu::Locale::getRoot());
    // Upper case can take a letter apart ("ΐ" gives three characters), so the form is composed
    // again: each word then has one form, which normalising it again leaves as it is.
    phrase = compatibility_->normalize(phrase, status);
    Check(status, phrase);

    *wordCount = 0;
    std::string output = " ";
    std::string word;
    bool afterApostrophe = false;
    // One step past the end stands for a closing space, which ends the last word.
    for (std::int32_t at = 0; at <= phrase.length();) {
        UChar32 c = U' ';
        if (at < phrase.length()) {
            c = phrase.char32At(at);
            at += U16_LENGTH(c);
        } else {
            ++at;
        }
        if (c == U'\'') {
            afterApostrophe = true;
        } else if (c == U' ') {
            EndWord(&word, &output, wordCount);
            afterApostrophe = false;
        } else if (!afterApostrophe && c != kGraphemeJoiner &&
                   (U_GET_GC_MASK(c) & kWordCategories) != 0) {
            AppendUtf8(&word, c);
        }
    }
    *text = std::move(output);
}

void UnicodeTextRules::Capitalize(std::string* text) const {
    if (text->empty() || static_cast<unsigned char>((*text)[0]) < 0x80) {
        asciiRules_.Capitalize(text);
        return;
    }
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text->data());
    std::size_t end = 0;
    UChar32 first = 0;
    U8_NEXT(bytes, end, text->size(), first);
    if (first < 0) {
        return;
    }
    icu::UnicodeString upper(first);
    upper.toUpper(icu::Locale::getRoot());
    Check(U_ZERO_ERROR, upper);
    std::string replacement;
    upper.toUTF8String(replacement);
    text->replace(0, end, replacement);
}

std::string UnicodeTextRules::FoldCase(std::string_view text) const {
    if (IsAscii(text)) {
        return asciiRules_.FoldCase(text);
    }
    UErrorCode status = U_ZERO_ERROR;
    const icu::UnicodeString folded =
        compatibilityCaseFold_->normalize(DecodeWellFormed(text), status);
    Check(status, folded);
    std::string bytes;
    folded.toUTF8String(bytes);
    return bytes;
}

}  // namespace wobbet
