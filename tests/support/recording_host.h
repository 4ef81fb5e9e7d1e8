#pragma once

#include <deque>
#include <string>
#include <vector>

#include "engine/conversation_host.h"

namespace wobbet::testing {

// A host that takes its input from a script and writes every call, in order, to a log.
// ContextEnabled is a query and is not logged.
class RecordingHost : public ConversationHost {
public:
    std::deque<std::string> inputs;
    std::deque<TeachDialogResult> teachDialogs;
    bool context = true;
    std::vector<std::string> calls;

    std::string ReadInput() override {
        calls.emplace_back("ReadInput");
        if (inputs.empty()) {
            return {};
        }
        std::string text = inputs.front();
        inputs.pop_front();
        return text;
    }
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
    TeachDialogResult RunTeachDialog() override {
        calls.emplace_back("RunTeachDialog");
        if (teachDialogs.empty()) {
            return {};
        }
        TeachDialogResult result = teachDialogs.front();
        teachDialogs.pop_front();
        return result;
    }
};

}  // namespace wobbet::testing
