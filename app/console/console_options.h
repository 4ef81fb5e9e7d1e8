#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace wobbet {

inline constexpr std::string_view kConsoleUsage =
    "Usage: wobbet-console [--seed N] [--knowledge FILE] [--trace]\n"
    "Holds a conversation on standard input and output, and learns from it.\n"
    "  --seed N          seed the random generator with N (0 to 4294967295) instead of the time\n"
    "  --knowledge FILE  read and write FILE instead of the usual Wobbet.dat\n"
    "  --trace           also print animations as *Name* and messages as !text on standard\n"
    "                    output (without it, messages go to standard error)\n"
    "  --help            print this help and exit\n";

struct ConsoleOptions {
    std::optional<std::uint32_t> seed;
    std::optional<std::string> knowledgePath;
    bool trace = false;
    bool help = false;
};

// The options after the program name; nothing, and *error set, for a command line that is
// not understood.
std::optional<ConsoleOptions> ParseConsoleOptions(std::span<const char* const> arguments,
                                                  std::string* error);

}  // namespace wobbet
