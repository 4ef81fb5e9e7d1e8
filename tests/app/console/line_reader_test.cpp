#include "app/console/line_reader.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <thread>

namespace wobbet {
namespace {

// A line far longer than the reader's chunk, around the size where searching the unfinished
// line again after every chunk took seconds, arrives whole, followed by the lines behind it:
// short ones across many chunks, and a last one without a line feed.
TEST(LineReaderTest, LongLineArrivesWhole) {
    int input[2];
    int stop[2];
    ASSERT_EQ(pipe(input), 0);
    ASSERT_EQ(pipe(stop), 0);
    std::string longLine(48 * 1000 * 1000, 'a');
    for (std::size_t i = 0; i < longLine.size(); i += 4099) {
        longLine[i] = static_cast<char>('b' + i % 20);
    }
    std::string text = longLine + "\r\n";
    constexpr int kShortLines = 30000;
    for (int i = 0; i < kShortLines; ++i) {
        text += "line " + std::to_string(i) + "\n";
    }
    text += "last";
    std::thread writer([&] {
        for (std::string_view rest = text; !rest.empty();) {
            const ssize_t written = write(input[1], rest.data(), rest.size());
            ASSERT_GT(written, 0);
            rest.remove_prefix(static_cast<std::size_t>(written));
        }
        close(input[1]);
    });
    LineReader reader(input[0], stop[0]);
    const std::optional<std::string> first = reader.NextLine();
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->size(), longLine.size());
    EXPECT_TRUE(*first == longLine);
    for (int i = 0; i < kShortLines; ++i) {
        ASSERT_EQ(reader.NextLine(), "line " + std::to_string(i));
    }
    EXPECT_EQ(reader.NextLine(), "last");
    EXPECT_EQ(reader.NextLine(), std::nullopt);
    writer.join();
    for (const int fd : {input[0], stop[0], stop[1]}) {
        close(fd);
    }
}

}  // namespace
}  // namespace wobbet
