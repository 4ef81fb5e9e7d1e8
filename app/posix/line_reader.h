#pragma once

#include <optional>
#include <string>

namespace wobbet {

// Lines from a file descriptor, ended by LF or CR LF; a last line without LF still counts.
// Reading stops, as at the end of the input, once the stop descriptor becomes readable.
class LineReader {
public:
    LineReader(int input, int stop) : input_(input), stop_(stop) {}

    // The next line without its line break; nothing once the input has ended or stop was asked.
    std::optional<std::string> NextLine();
    // Waits at most the given time for something to read, the input's end or stop; false when
    // nothing came in that time.
    bool WaitForInput(int timeoutMilliseconds);

private:
    bool StopAsked() const;
    // Reads what the input has next into the buffer; false when nothing more will come.
    bool ReadMore();

    int input_;
    int stop_;
    std::string buffer_;
    std::size_t lineStart_ = 0;
    // Everything from lineStart_ up to here is known to hold no line feed.
    std::size_t searchedTo_ = 0;
    bool ended_ = false;
};

}  // namespace wobbet
