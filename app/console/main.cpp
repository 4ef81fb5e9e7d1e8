#include <unistd.h>

#include <iostream>

#include "app/console/console_session.h"
#include "app/posix/line_program.h"

int main(int argc, char** argv) {
    using namespace wobbet;

    const LineProgram console{
        "wobbet-console",
        "[--trace]",
        "Holds a conversation on standard input and output, and learns from it.\n",
        "  --trace           also print animations as *Name* and messages as !text on standard\n"
        "                    output (without it, messages go to standard error)\n",
        {"--trace"}};
    return RunLineProgram(
        console, std::span<const char* const>(argv + 1, static_cast<std::size_t>(argc - 1)),
        [](const LineProgramOptions& options, LineReader& reader) {
            ConsoleSession session(reader, std::cout, std::cerr, options.Has("--trace"),
                                   isatty(STDIN_FILENO) != 0, options.knowledgePath);
            return session.Run(options.seed);
        });
}
