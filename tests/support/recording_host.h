#pragma once

#include <deque>
#include <string>
#include <vector>

#include "engine/conversation_host.h"

namespace wobbet::testing {

// Takes input from a script and logs every call in order but the ContextEnabled query.
class RecordingHost : public ConversationHost {
public:
    std::deque<std::string> inputs;
    std::deque<TeachDialogResult> teachDialogs;
    bool context = true;
    std::vector<std::string> calls;

    std::string ReadInput() override { return Next("ReadInput", inputs); }
    TeachDialogResult RunTeachDialog() override { return Next("RunTeachDialog", teachDialogs); }
    void ClearInput() override { calls.emplace_back("ClearInput"); }
    bool ContextEnabled() override { return context; }
    void SetContextEnabled(bool enabled) override {
        context = enabled;
        calls.push_back(std::string("SetContextEnabled ") + (enabled ? "1" : "0"));
    }
    void Display(const std::string& text) override { calls.push_back("Display " + text); }
    void ShowReply(const std::string& text) override { calls.push_back("ShowReply " + text); }
    void PlayAnimation(const std::string& name) override {
        calls.push_back("PlayAnimation " + name);
    }
    void PrepareCharacter() override { calls.emplace_back("PrepareCharacter"); }
    void ShowMessage(const std::string& text) override { calls.push_back("ShowMessage " + text); }

private:
    // The next scripted answer, or an empty one once the script has run out.
    template <typename Answer>
    Answer Next(const char* call, std::deque<Answer>& script) {
        calls.emplace_back(call);
        Answer answer = script.empty() ? Answer{} : script.front();
        if (!script.empty()) {
            script.pop_front();
        }
        return answer;
    }
};

}  // namespace wobbet::testing
