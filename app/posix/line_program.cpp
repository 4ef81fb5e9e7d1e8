#include "app/posix/line_program.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <iostream>
#include <optional>

#include "app/core/program_core.h"
#include "app/posix/stop_signals.h"
#include "storage/program_dir.h"

namespace wobbet {
namespace {

std::string Usage(const LineProgram& program) {
    return "Usage: " + std::string(program.name) + " [--seed N] [--knowledge FILE]" +
           (program.synopsis.empty() ? "" : " ") + std::string(program.synopsis) + "\n" +
           std::string(program.description) +
           "  --seed N          seed the random generator with N (0 to 4294967295) instead of the "
           "time\n"
           "  --knowledge FILE  read and write FILE instead of the usual Wobbet.dat\n" +
           std::string(program.optionsHelp) + "  --help            print this help and exit\n";
}

std::optional<std::uint32_t> ParseSeed(std::string_view text) {
    std::uint32_t seed = 0;
    const auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), seed);
    if (status != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return seed;
}

struct ParsedCommandLine {
    std::optional<std::uint32_t> seed;
    std::optional<std::string> knowledgePath;
    std::vector<std::string_view> flags;
    bool help = false;
};

// Nothing, and *error set, for a command line that is not understood.
std::optional<ParsedCommandLine> Parse(const LineProgram& program,
                                       std::span<const char* const> arguments, std::string* error) {
    ParsedCommandLine parsed;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view argument = arguments[i];
        const bool takesValue = argument == "--seed" || argument == "--knowledge";
        if (takesValue && i + 1 == arguments.size()) {
            *error = std::string(argument) + " needs a value";
            return std::nullopt;
        }
        if (argument == "--seed") {
            parsed.seed = ParseSeed(arguments[++i]);
            if (!parsed.seed) {
                *error = "--seed takes a whole number from 0 to 4294967295, not '" +
                         std::string(arguments[i]) + "'";
                return std::nullopt;
            }
        } else if (argument == "--knowledge") {
            parsed.knowledgePath = arguments[++i];
            if (parsed.knowledgePath->empty()) {
                *error = "--knowledge needs a file name";
                return std::nullopt;
            }
        } else if (argument == "--help") {
            parsed.help = true;
        } else if (std::ranges::find(program.flags, argument) != program.flags.end()) {
            parsed.flags.push_back(argument);
        } else {
            *error = "unknown option '" + std::string(argument) + "'";
            return std::nullopt;
        }
    }
    return parsed;
}

}  // namespace

bool LineProgramOptions::Has(std::string_view flag) const {
    return std::ranges::find(flags, flag) != flags.end();
}

int RunLineProgram(const LineProgram& program, std::span<const char* const> arguments,
                   const std::function<int(const LineProgramOptions&, LineReader&)>& session) {
    std::string error;
    const std::optional<ParsedCommandLine> parsed = Parse(program, arguments, &error);
    if (!parsed) {
        std::cerr << program.name << ": " << error << "\n" << Usage(program);
        return 2;
    }
    if (parsed->help) {
        std::cout << Usage(program);
        return 0;
    }

    signal(SIGPIPE, SIG_IGN);
    const StopSignals stopSignals;
    LineReader reader(STDIN_FILENO, stopSignals.Descriptor());
    return session({parsed->seed.value_or(ProgramCore::ClockSeed()),
                    parsed->knowledgePath.value_or(DefaultKnowledgePath()), parsed->flags},
                   reader);
}

}  // namespace wobbet
