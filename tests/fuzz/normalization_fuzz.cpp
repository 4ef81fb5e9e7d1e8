// Any bytes normalise to " WORD WORD " of A-Z and 0-9 with the right count, and normalising again
// changes nothing.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/normalization.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

using wobbet::fuzzing::Require;

bool IsWordChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// Checks the shape and returns the number of words.
std::int32_t CheckForm(const std::string& form) {
    Require(!form.empty() && form.front() == ' ' && form.back() == ' ',
            "the form starts and ends with a space");
    std::int32_t words = 0;
    for (std::size_t i = 1; i < form.size(); ++i) {
        const char c = form[i];
        Require(c == ' ' || IsWordChar(c), "the form holds only A-Z, 0-9 and spaces");
        if (c == ' ') {
            Require(form[i - 1] != ' ', "words are separated by single spaces");
            ++words;
        }
    }
    return words;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    std::int32_t wordCount = -1;
    wobbet::Normalize(&text, &wordCount);
    Require(CheckForm(text) == wordCount, "the word count is the number of words");

    std::string again = text;
    std::int32_t againCount = -1;
    wobbet::Normalize(&again, &againCount);
    Require(again == text && againCount == wordCount, "normalising a normalised form keeps it");

    // Every word kept is one that survives on its own: no stop word slips through.
    std::size_t start = 1;
    for (std::size_t end = text.find(' ', start); end != std::string::npos;
         start = end + 1, end = text.find(' ', start)) {
        std::string word = text.substr(start, end - start);
        const std::string expected = " " + word + " ";
        std::int32_t count = -1;
        wobbet::Normalize(&word, &count);
        Require(word == expected && count == 1, "each kept word is kept on its own");
    }

    std::string reply(reinterpret_cast<const char*>(data), size);
    wobbet::Capitalize(&reply);
    if (size > 0) {
        const char first = static_cast<char>(data[0]);
        const char expected = first >= 'a' && first <= 'z' ? static_cast<char>(first - 32) : first;
        Require(reply[0] == expected, "Capitalize upper-cases a to z only");
        Require(reply.compare(1, std::string::npos, reinterpret_cast<const char*>(data) + 1,
                              size - 1) == 0,
                "Capitalize leaves the rest alone");
    }
    return 0;
}
