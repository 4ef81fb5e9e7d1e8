#include <iostream>

#include "app/jsonl/jsonl_session.h"
#include "app/posix/line_program.h"

int main(int argc, char** argv) {
    using namespace wobbet;

    const LineProgram jsonl{
        "wobbet-jsonl",
        "",
        "Holds a conversation as JSON lines, one request object a line on standard input and one\n"
        "answer object a line on standard output, and learns from it. Requests: {\"say\": TEXT},\n"
        "{\"teach\": {\"phrase\": TEXT, \"reply\": TEXT}}, {\"context\": BOOLEAN}, {\"learn\": "
        "BOOLEAN},\n{\"forget\": true}, {\"merge\": FILE}. Answers: {\"reply\": TEXT}, "
        "{\"animation\": NAME},\n{\"message\": TEXT}, and {\"error\": TEXT} for a line that is not "
        "a request.\n",
        "",
        {}};
    return RunLineProgram(
        jsonl, std::span<const char* const>(argv + 1, static_cast<std::size_t>(argc - 1)),
        [](const LineProgramOptions& options, LineReader& reader) {
            JsonlSession session(reader, std::cout, options.knowledgePath);
            return session.Run(options.seed);
        });
}
