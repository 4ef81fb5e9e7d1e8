// Prints what normalising one phrase costs under each program's text rules, for ASCII phrases and
// phrases in other scripts.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>

#include "app/unicode_text/unicode_text_rules.h"
#include "engine/normalization.h"

namespace wobbet::bench {
namespace {

// Nanoseconds per phrase, over enough rounds to take a good part of a second.
double NanosecondsPerPhrase(const TextRules& rules, const std::string& phrase) {
    using Clock = std::chrono::steady_clock;
    constexpr int kRounds = 200000;
    const Clock::time_point start = Clock::now();
    for (int round = 0; round < kRounds; ++round) {
        std::string text = phrase;
        std::int32_t wordCount = 0;
        rules.Normalize(&text, &wordCount);
    }
    const std::chrono::duration<double, std::nano> spent = Clock::now() - start;
    return spent.count() / kRounds;
}

}  // namespace
}  // namespace wobbet::bench

int main() {
    using wobbet::bench::NanosecondsPerPhrase;
    const wobbet::ByteTextRules bytes;
    const wobbet::UnicodeTextRules unicode;
    const std::pair<const char*, std::string> phrases[] = {
        {"ASCII", "Do you know what the weather will be like tomorrow?"},
        {"French", "Très bien, merci ; et vous, où allez-vous ce soir ?"},
        {"German, decomposed", "Die Stra\u00dfe ist scho\u0308n und gru\u0308n heute"},
        {"Russian", "Привет, как дела? Что ты будешь делать завтра?"},
        {"Chinese", "你好 世界 今天 天气 怎么样"},
    };
    std::printf("%-20s %12s %12s\n", "phrase", "bytes (ns)", "UTF-8 (ns)");
    for (const auto& [name, phrase] : phrases) {
        std::printf("%-20s %12.0f %12.0f\n", name, NanosecondsPerPhrase(bytes, phrase),
                    NanosecondsPerPhrase(unicode, phrase));
    }
    return 0;
}
