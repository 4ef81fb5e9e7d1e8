#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <utility>

#include "app/console/console_host.h"
#include "app/console/line_reader.h"
#include "app/core/program_core.h"

namespace wobbet {

// The conversation on a terminal: each line read is said, or is a command when it starts
// with "/". Prompts, the greeting and the help text are written only for a person at a terminal.
// It owns the program below it, as a window does.
//
// What was learned is saved once the session has waited a while for its next line, so that a
// kill loses nothing said before a pause; input that never pauses is saved at its end.
class ConsoleSession final : private AutosaveDriver {
public:
    ConsoleSession(LineReader& reader, std::ostream& out, std::ostream& errors, bool trace,
                   bool interactive, std::string knowledgePath)
        : host_(out, errors, trace),
          core_(host_, std::move(knowledgePath), nullptr, NativeFileSystem(), this),
          reader_(reader),
          out_(out),
          interactive_(interactive) {}

    // Starts the program, runs until the input ends or the user quits, and keeps what was
    // learned. The exit status: 1 when another program holds the knowledge file, else 0.
    int Run(std::uint32_t seed);

private:
    // The autosave's delay is the wait for the next line; its saves run at once.
    void StartDelay(std::chrono::milliseconds delay, std::function<void()> elapsed) override;
    void CancelDelay() override { autosaveElapsed_ = {}; }
    void StartSave(std::function<std::string()> save,
                   std::function<void(std::string)> finished) override {
        finished(save());
    }
    std::optional<std::string> WaitForSave() override { return std::nullopt; }

    // False when the session ends with it.
    bool RunCommand(const std::string& line);
    void Say(std::string text);
    bool Teach();
    // The next line, after the prompt; nothing once the input has ended.
    std::optional<std::string> ReadLine(std::string_view prompt);
    void Prompt(std::string_view text);

    // Before the core, whose autosave uses them until it goes.
    std::chrono::milliseconds autosaveDelay_{};
    std::function<void()> autosaveElapsed_;
    ConsoleHost host_;
    ProgramCore core_;
    LineReader& reader_;
    std::ostream& out_;
    bool interactive_;
};

}  // namespace wobbet
