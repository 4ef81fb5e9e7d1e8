#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/posix/line_reader.h"

namespace wobbet {

// A Linux program that holds its conversation on standard input, one line at a time.
struct LineProgram {
    std::string_view name;
    // Its own options after the shared ones, as in "[--trace]"; may be empty.
    std::string_view synopsis;
    // What it does, one or more full lines.
    std::string_view description;
    // Lines of help for its own options, which take no value.
    std::string_view optionsHelp;
    std::vector<std::string_view> flags;
};

// Its command line once understood: --seed and --knowledge resolved to the time and the usual
// knowledge file when not given.
struct LineProgramOptions {
    std::uint32_t seed = 0;
    std::string knowledgePath;
    std::vector<std::string_view> flags;

    bool Has(std::string_view flag) const;
};

// Everything a line program does around its session. It answers --help with the usage, and a
// command line it does not understand with the fault and the usage on standard error (exit code
// 2). Otherwise it holds back the stop signals, ignores SIGPIPE so that a reader going away does
// not cost what was learned, and runs the session on a reader of standard input that ends at the
// end of the input or at a stop signal. Gives the process's exit code: the session's own once it
// ran.
int RunLineProgram(const LineProgram& program, std::span<const char* const> arguments,
                   const std::function<int(const LineProgramOptions&, LineReader&)>& session);

}  // namespace wobbet
