#pragma once

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <string_view>

#include "engine/conversation_engine.h"

namespace wobbet::bench {

// A line of /proc/self/status in MiB, or -1 where the system does not tell.
inline double StatusMiB(std::string_view field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.starts_with(field)) {
            return std::stod(line.substr(field.size())) / 1024.0;
        }
    }
    return -1.0;
}

// A window that is never shown: Context stays ticked, every request is dropped, and messages,
// which a healthy run never shows, go to standard error.
class SilentHost final : public ConversationHost {
public:
    std::string ReadInput() override { return {}; }
    void ClearInput() override {}
    bool ContextEnabled() override { return true; }
    void SetContextEnabled(bool) override {}
    void Display(const std::string&) override {}
    void ShowReply(const std::string&) override {}
    void PlayAnimation(const std::string&) override {}
    void PrepareCharacter() override {}
    void ShowMessage(const std::string& text) override {
        std::fprintf(stderr, "message: %s\n", text.c_str());
    }
    TeachDialogResult RunTeachDialog() override { return {}; }
};

// A Say turn without the window: normalise, select and draw the learn decision.
inline void SayTurn(ConversationEngine& engine, const std::string& text) {
    std::string phrase = text;
    std::int32_t wordCount = 0;
    engine.Rules().Normalize(&phrase, &wordCount);
    bool learn = false;
    engine.SelectResponse(phrase, wordCount, &learn);
}

// The N of an optional "--records N", a million without it; nothing, after a usage line on
// standard error, for any other command line.
inline std::optional<std::size_t> RecordCount(int argc, char** argv) {
    if (argc == 1) {
        return 1000000;
    }
    if (argc == 3 && std::string_view(argv[1]) == "--records") {
        return static_cast<std::size_t>(std::strtoull(argv[2], nullptr, 10));
    }
    std::fprintf(stderr, "usage: %s [--records N]\n", argv[0]);
    return std::nullopt;
}

}  // namespace wobbet::bench
