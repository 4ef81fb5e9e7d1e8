#pragma once

#include <cstdio>
#include <string>

#include "engine/conversation_host.h"

namespace wobbet::bench {

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

}  // namespace wobbet::bench
