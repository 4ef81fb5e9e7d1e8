#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "app/console/console_host.h"
#include "app/console/line_reader.h"
#include "engine/conversation_engine.h"

namespace wobbet {

// The conversation on a terminal: each line read is said, or is a command when it starts
// with "/". Prompts, the greeting and the help text are written only for a person at a terminal.
class ConsoleSession {
public:
    ConsoleSession(ConversationEngine& engine, ConsoleHost& host, LineReader& reader,
                   std::ostream& out, bool interactive)
        : engine_(engine), host_(host), reader_(reader), out_(out), interactive_(interactive) {}

    // Runs until the input ends or the user quits.
    void Run();

private:
    // False when the session ends with it.
    bool RunCommand(const std::string& line);
    void Say(std::string text);
    bool Teach();
    // The next line, after the prompt; nothing once the input has ended.
    std::optional<std::string> ReadLine(std::string_view prompt);
    void Prompt(std::string_view text);

    ConversationEngine& engine_;
    ConsoleHost& host_;
    LineReader& reader_;
    std::ostream& out_;
    bool interactive_;
};

}  // namespace wobbet
