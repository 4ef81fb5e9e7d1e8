#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "app/core/shell.h"

namespace wobbet {

// What the program shows, as a terminal sees it: every reply is a line on standard output.
// There is no character; with trace, its animations are lines too.
class ConsoleShell final : public Shell {
public:
    // With trace, animations and messages are lines on `out` too, as *Name* and !text;
    // otherwise messages go to `errors` and animations are not shown.
    ConsoleShell(std::ostream& out, std::ostream& errors, bool trace)
        : out_(out), errors_(errors), trace_(trace) {}

    void ShowReply(const std::string& text) override;
    void ShowMessage(const std::string& text) override;
    void ShowAnimation(const std::string& name) override;

private:
    std::ostream& out_;
    std::ostream& errors_;
    bool trace_;
};

// Writes the text and a line break, and flushes at once so that a script reading the other end
// of a pipe sees each line as it happens.
void WriteLine(std::ostream& out, std::string_view text);

}  // namespace wobbet
