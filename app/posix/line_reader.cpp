#include "app/posix/line_reader.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

namespace wobbet {
namespace {

constexpr std::size_t kChunk = 64 * 1024;

}  // namespace

bool LineReader::StopAsked() const {
    pollfd stop{stop_, POLLIN, 0};
    return poll(&stop, 1, 0) > 0;
}

std::optional<std::string> LineReader::NextLine() {
    if (StopAsked()) {
        ended_ = true;
        return std::nullopt;
    }
    for (;;) {
        // Only what arrived since the last search can hold the line's end.
        const std::size_t lineFeed = buffer_.find('\n', searchedTo_);
        if (lineFeed != std::string::npos) {
            std::size_t lineEnd = lineFeed;
            if (lineEnd > lineStart_ && buffer_[lineEnd - 1] == '\r') {
                --lineEnd;
            }
            std::string line = buffer_.substr(lineStart_, lineEnd - lineStart_);
            lineStart_ = lineFeed + 1;
            searchedTo_ = lineStart_;
            return line;
        }
        searchedTo_ = buffer_.size();
        if (ended_ || !ReadMore()) {
            ended_ = true;
            if (lineStart_ == buffer_.size()) {
                return std::nullopt;
            }
            std::string line = buffer_.substr(lineStart_);
            lineStart_ = buffer_.size();
            searchedTo_ = lineStart_;
            return line;
        }
    }
}

bool LineReader::WaitForInput(int timeoutMilliseconds) {
    if (ended_ || buffer_.find('\n', searchedTo_) != std::string::npos) {
        return true;
    }
    pollfd waits[2] = {{input_, POLLIN, 0}, {stop_, POLLIN, 0}};
    int ready = 0;
    do {
        ready = poll(waits, 2, timeoutMilliseconds);
    } while (ready < 0 && errno == EINTR);
    // An error is left for the reading to meet.
    return ready != 0;
}

bool LineReader::ReadMore() {
    // Drop the lines already given out before the buffer grows.
    buffer_.erase(0, lineStart_);
    searchedTo_ -= lineStart_;
    lineStart_ = 0;
    pollfd waits[2] = {{input_, POLLIN, 0}, {stop_, POLLIN, 0}};
    for (;;) {
        if (poll(waits, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        if (waits[1].revents != 0) {
            // Whatever was typed on an unfinished line is dropped, as a terminal drops it.
            buffer_.clear();
            searchedTo_ = 0;
            return false;
        }
        const std::size_t filled = buffer_.size();
        buffer_.resize(filled + kChunk);
        const ssize_t got = read(input_, buffer_.data() + filled, kChunk);
        buffer_.resize(filled + (got > 0 ? static_cast<std::size_t>(got) : 0));
        if (got > 0) {
            return true;
        }
        if (got == 0 || errno != EINTR) {
            return false;
        }
    }
}

}  // namespace wobbet
