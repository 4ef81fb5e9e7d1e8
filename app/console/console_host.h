#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "engine/conversation_host.h"

namespace wobbet {

// The window and the character as a terminal sees them: the input box is the line being said,
// every displayed text is a line on standard output, and there is no character to show.
class ConsoleHost final : public ConversationHost {
public:
    // With trace, animations and messages are lines on `out` too, as *Name* and !text;
    // otherwise messages go to `errors` and animations are not shown.
    ConsoleHost(std::ostream& out, std::ostream& errors, bool trace)
        : out_(out), errors_(errors), trace_(trace) {}

    // Puts the text in the input box, for the next Say to read.
    void TypeInput(std::string text) { input_ = std::move(text); }
    // What the next Teach dialog gives back.
    void FillTeachDialog(TeachDialogResult dialog) { teachDialog_ = std::move(dialog); }

    std::string ReadInput() override { return input_; }
    void ClearInput() override { input_.clear(); }
    bool ContextEnabled() override { return context_; }
    void SetContextEnabled(bool enabled) override { context_ = enabled; }
    void Display(const std::string& text) override { ShowReply(text); }
    void ShowReply(const std::string& text) override;
    void PlayAnimation(const std::string& name) override;
    void PrepareCharacter() override {}
    void ShowMessage(const std::string& text) override;
    TeachDialogResult RunTeachDialog() override;

private:
    std::ostream& out_;
    std::ostream& errors_;
    bool trace_;
    bool context_ = true;
    std::string input_;
    TeachDialogResult teachDialog_;
};

// Writes the text and a line break, and flushes at once so that a script reading the other end
// of a pipe sees each line as it happens.
void WriteLine(std::ostream& out, std::string_view text);

}  // namespace wobbet
