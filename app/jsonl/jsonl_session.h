#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

#include "app/core/shell.h"
#include "app/core/windowless_core.h"
#include "app/posix/line_reader.h"

namespace wobbet {

// The conversation as JSON lines: each line read is one request object, and everything the
// program shows is one answer object a line, {"reply": TEXT}, {"animation": NAME} or
// {"message": TEXT}. A line that is not a request gets {"error": TEXT}, and the session goes on.
class JsonlSession final : private Shell {
public:
    // The reader and `out` must outlive the session.
    JsonlSession(LineReader& reader, std::ostream& out, std::string knowledgePath)
        : reader_(reader), out_(out), core_(*this, std::move(knowledgePath)) {}

    // Starts the program, answers the requests until the input ends or a stop signal comes, and
    // keeps what was learned.
    void Run(std::uint32_t seed);

private:
    void Handle(const std::string& line);
    // Writes {"key": text} and a line break, flushed at once for the program reading the pipe.
    void Answer(std::string_view key, const std::string& text);

    void ShowReply(const std::string& text) override { Answer("reply", text); }
    void ShowMessage(const std::string& text) override { Answer("message", text); }
    void ShowAnimation(const std::string& name) override { Answer("animation", name); }

    LineReader& reader_;
    std::ostream& out_;
    WindowlessCore core_;
};

}  // namespace wobbet
