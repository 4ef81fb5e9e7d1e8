#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

#include "app/core/shell.h"
#include "app/core/windowless_core.h"
#include "app/posix/line_reader.h"
#include "app/posix/line_wait_autosave.h"
#include "app/unicode_text/unicode_text_rules.h"

namespace wobbet {

// The conversation as JSON lines: each line read is one request object, and everything the
// program shows is one answer object a line, {"reply": TEXT}, {"animation": NAME} or
// {"message": TEXT}. A line that is not a request gets {"error": TEXT}, and the session goes on.
class JsonlSession final : private Shell {
public:
    // The reader and `out` must outlive the session.
    JsonlSession(LineReader& reader, std::ostream& out, std::string knowledgePath)
        : out_(out),
          autosave_(reader),
          core_(*this, std::move(knowledgePath), textRules_, NativeFileSystem(), &autosave_) {}

    // Starts the program, answers the requests until the input ends or a stop signal comes, and
    // keeps what was learned, also whenever the requests pause. The exit status: 1 when another
    // program holds the knowledge file, else 0.
    int Run(std::uint32_t seed);

private:
    void Handle(const std::string& line);
    // Writes {"key": text} and a line break, flushed at once for the program reading the pipe.
    void Answer(std::string_view key, const std::string& text);

    void ShowReply(const std::string& text) override { Answer("reply", text); }
    void ShowMessage(const std::string& text) override { Answer("message", text); }
    void ShowAnimation(const std::string& name) override { Answer("animation", name); }

    std::ostream& out_;
    UnicodeTextRules textRules_;
    LineWaitAutosave autosave_;
    WindowlessCore core_;
};

}  // namespace wobbet
