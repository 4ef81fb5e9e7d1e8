#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <utility>

#include "app/console/console_host.h"
#include "app/console/line_reader.h"
#include "app/core/program_core.h"
#include "app/unicode_text/unicode_text_rules.h"

namespace wobbet {

// The conversation on a terminal: each line read is said, or is a command when it starts
// with "/". Prompts, the greeting and the help text are written only for a person at a terminal.
// It owns the program below it, as a window does.
class ConsoleSession {
public:
    ConsoleSession(LineReader& reader, std::ostream& out, std::ostream& errors, bool trace,
                   bool interactive, std::string knowledgePath)
        : host_(out, errors, trace),
          core_(host_, std::move(knowledgePath), nullptr, textRules_),
          reader_(reader),
          out_(out),
          interactive_(interactive) {}

    // Starts the program, runs until the input ends or the user quits, and keeps what was learned.
    void Run(std::uint32_t seed);

private:
    // False when the session ends with it.
    bool RunCommand(const std::string& line);
    void Say(std::string text);
    bool Teach();
    // The next line, after the prompt; nothing once the input has ended.
    std::optional<std::string> ReadLine(std::string_view prompt);
    void Prompt(std::string_view text);

    ConsoleHost host_;
    UnicodeTextRules textRules_;
    ProgramCore core_;
    LineReader& reader_;
    std::ostream& out_;
    bool interactive_;
};

}  // namespace wobbet
