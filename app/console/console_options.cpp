#include "app/console/console_options.h"

#include <charconv>

namespace wobbet {
namespace {

std::optional<std::uint32_t> ParseSeed(std::string_view text) {
    std::uint32_t seed = 0;
    const auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), seed);
    if (status != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return seed;
}

}  // namespace

std::optional<ConsoleOptions> ParseConsoleOptions(std::span<const char* const> arguments,
                                                  std::string* error) {
    ConsoleOptions options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view argument = arguments[i];
        const bool takesValue = argument == "--seed" || argument == "--knowledge";
        if (takesValue && i + 1 == arguments.size()) {
            *error = std::string(argument) + " needs a value";
            return std::nullopt;
        }
        if (argument == "--seed") {
            options.seed = ParseSeed(arguments[++i]);
            if (!options.seed) {
                *error = "--seed takes a whole number from 0 to 4294967295, not '" +
                         std::string(arguments[i]) + "'";
                return std::nullopt;
            }
        } else if (argument == "--knowledge") {
            options.knowledgePath = arguments[++i];
            if (options.knowledgePath->empty()) {
                *error = "--knowledge needs a file name";
                return std::nullopt;
            }
        } else if (argument == "--trace") {
            options.trace = true;
        } else if (argument == "--help") {
            options.help = true;
        } else {
            *error = "unknown option '" + std::string(argument) + "'";
            return std::nullopt;
        }
    }
    return options;
}

}  // namespace wobbet
