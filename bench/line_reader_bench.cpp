// Times wobbet-console's line reader on one long line, written into a pipe by another thread as
// a script would, at several sizes. Prints figures; asserts nothing.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "app/posix/line_reader.h"

namespace {

using Clock = std::chrono::steady_clock;

double SecondsToReadOneLine(std::size_t bytes) {
    int input[2];
    int stop[2];
    if (pipe(input) != 0 || pipe(stop) != 0) {
        return -1;
    }
    const std::string line(bytes, 'a');
    std::thread writer([&] {
        std::string_view rest = line;
        while (!rest.empty()) {
            const ssize_t written = write(input[1], rest.data(), rest.size());
            if (written <= 0) {
                break;
            }
            rest.remove_prefix(static_cast<std::size_t>(written));
        }
        static_cast<void>(write(input[1], "\n", 1));
        close(input[1]);
    });
    wobbet::LineReader reader(input[0], stop[0]);
    const Clock::time_point start = Clock::now();
    const std::optional<std::string> read = reader.NextLine();
    const std::chrono::duration<double> took = Clock::now() - start;
    writer.join();
    for (const int fd : {input[0], stop[0], stop[1]}) {
        close(fd);
    }
    return read && read->size() == bytes ? took.count() : -1;
}

}  // namespace

int main() {
    for (const std::size_t megabytes : {1u, 10u, 25u, 100u}) {
        std::printf("one line of %3zu MB: %.3f s\n", megabytes,
                    SecondsToReadOneLine(megabytes * 1000 * 1000));
    }
    return 0;
}
