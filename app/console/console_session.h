#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <utility>

#include "app/console/console_shell.h"
#include "app/core/windowless_core.h"
#include "app/posix/line_reader.h"
#include "app/posix/line_wait_autosave.h"
#include "app/unicode_text/unicode_text_rules.h"

namespace wobbet {

// The conversation on a terminal: each line read is said, or is a command when it starts
// with "/". Prompts, the greeting and the help text are written only for a person at a terminal.
// It owns the program below it, as a window does.
//
// What was learned is saved once the session has waited a while for its next line, so that a
// kill loses nothing said before a pause; input that never pauses is saved at its end.
class ConsoleSession final {
public:
    ConsoleSession(LineReader& reader, std::ostream& out, std::ostream& errors, bool trace,
                   bool interactive, std::string knowledgePath)
        : shell_(out, errors, trace),
          autosave_(reader),
          core_(shell_, std::move(knowledgePath), textRules_, NativeFileSystem(), &autosave_),
          out_(out),
          interactive_(interactive) {}

    // Starts the program, runs until the input ends or the user quits, and keeps what was
    // learned. The exit status: 1 when another program holds the knowledge file, else 0.
    int Run(std::uint32_t seed);

private:
    // False when the session ends with it.
    bool RunCommand(const std::string& line);
    bool Teach();
    // The next line, after the prompt; nothing once the input has ended.
    std::optional<std::string> ReadLine(std::string_view prompt);
    void Prompt(std::string_view text);

    ConsoleShell shell_;
    UnicodeTextRules textRules_;
    LineWaitAutosave autosave_;
    WindowlessCore core_;
    std::ostream& out_;
    bool interactive_;
};

}  // namespace wobbet
