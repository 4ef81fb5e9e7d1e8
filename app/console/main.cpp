#include <signal.h>
#include <unistd.h>

#include <iostream>

#include "app/console/console_options.h"
#include "app/console/console_session.h"
#include "app/console/line_reader.h"
#include "app/core/program_core.h"
#include "app/posix/stop_signals.h"
#include "storage/program_dir.h"

int main(int argc, char** argv) {
    using namespace wobbet;

    std::string error;
    const std::optional<ConsoleOptions> options = ParseConsoleOptions(
        std::span<const char* const>(argv + 1, static_cast<std::size_t>(argc - 1)), &error);
    if (!options) {
        std::cerr << "wobbet-console: " << error << "\n" << kConsoleUsage;
        return 2;
    }
    if (options->help) {
        std::cout << kConsoleUsage;
        return 0;
    }

    // A reader that went away must not cost what was learned: writes then fail quietly.
    signal(SIGPIPE, SIG_IGN);
    const StopSignals stopSignals;

    LineReader reader(STDIN_FILENO, stopSignals.Descriptor());
    ConsoleSession session(reader, std::cout, std::cerr, options->trace, isatty(STDIN_FILENO) != 0,
                           options->knowledgePath.value_or(DefaultKnowledgePath()));
    return session.Run(options->seed.value_or(ProgramCore::ClockSeed()));
}
