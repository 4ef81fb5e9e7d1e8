#include "app/posix/line_reader.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>

namespace wobbet {
namespace {

// A line far longer than the reader's chunk, short lines across many chunks; once stop is asked,
// a line already read is not given out.
TEST(LineReaderTest, LinesArriveWholeUntilStopIsAsked) {
    const std::string longLine = std::string(48 * 1000 * 1000, 'a') + "z";
    std::string text = longLine + "\r\n";
    constexpr int kShortLines = 30000;
    for (int i = 0; i < kShortLines; ++i) {
        text += "line " + std::to_string(i) + "\n";
    }
    text += "already read\n";
    FILE* input = std::tmpfile();
    ASSERT_EQ(std::fwrite(text.data(), 1, text.size(), input), text.size());
    std::rewind(input);
    int stop[2];
    ASSERT_EQ(pipe(stop), 0);

    LineReader reader(fileno(input), stop[0]);
    EXPECT_TRUE(reader.NextLine() == longLine) << "the long line did not arrive whole";
    for (int i = 0; i < kShortLines; ++i) {
        ASSERT_EQ(reader.NextLine(), "line " + std::to_string(i));
    }
    ASSERT_EQ(write(stop[1], "", 1), 1);
    EXPECT_EQ(reader.NextLine(), std::nullopt);
    std::fclose(input);
    close(stop[0]);
    close(stop[1]);
}

}  // namespace
}  // namespace wobbet
