#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "app/core/shell_window.h"

namespace wobbet {

// The window as a terminal sees it: the input box is the line being said and every reply is a
// line on standard output. There is no character; with trace, its animations are lines too.
class ConsoleHost final : public ShellWindow {
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
    void ShowReply(const std::string& text) override;
    void ShowMessage(const std::string& text) override;
    TeachDialogResult RunTeachDialog() override;
    void ShowAnimation(const std::string& name) override;

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
