// Hostile knowledge files and phrases through the real wobbet-console: each gets an answer or
// the right message, and nothing is lost or overwritten that should not be. Each case prints
// the program's time and peak memory. Large contents are compared with == so that a failure
// never prints them.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>

#include "tests/e2e/measured_console.h"
#include "tests/support/scratch_directory.h"

namespace wobbet::testing {
namespace {

namespace fs = std::filesystem;
using ::testing::EndsWith;
using ::testing::IsEmpty;

constexpr std::size_t kMegabyte = 1u << 20;
constexpr std::string_view kLoadFailed =
    "!Storage error: Load failed. Records added in this session cannot be saved.\n";
constexpr std::string_view kMisaligned =
    "!Storage error: Space misalignment. Records added in this session cannot be saved.\n";
constexpr std::string_view kTeach = "/teach\nrobust phrase\nrobust reply\n";
constexpr std::string_view kTaughtRecord = "Robust reply\r\nROBUST\r\nPHRASE\r\n\r\n";

std::string HundredMegabyteLineFile() {
    return std::string(100 * kMegabyte, 'A') + "\r\nHELLO\r\n\r\n";
}

std::string MillionRecordsWithEmptyGroups() {
    std::string file;
    for (int i = 0; i < 1'000'000; ++i) {
        file += "x\r\n\r\n";
    }
    return file;
}

std::string TenMegabytePhrase() {
    std::string phrase;
    for (std::size_t i = 0; phrase.size() < 10 * kMegabyte; ++i) {
        phrase += "word" + std::to_string(i) + " ";
    }
    return phrase;
}

class ConsoleHostileInputTest : public ScratchDirectoryTest {
protected:
    MeasuredRun Run(const std::string& figuresName, std::string input) {
        const MeasuredRun run =
            RunMeasured({"--seed", "1", "--trace", "--knowledge", knowledgePath}, std::move(input),
                        std::chrono::seconds(240));
        std::printf("[figures] %s: %.3f s, peak %ld MiB\n", figuresName.c_str(), run.seconds,
                    run.peakMiB);
        EXPECT_FALSE(run.timedOut);
        EXPECT_EQ(run.exitStatus, 0) << run.err;
        return run;
    }
};

TEST_F(ConsoleHostileInputTest, FileWithAHundredMegabyteLineAnswersAndIsKeptWhole) {
    WriteBytes(knowledgePath, HundredMegabyteLineFile());
    const MeasuredRun run = Run("knowledge file with a 100 MB line", "hello\n");
    // Both records know HELLO; the draws decide which answers.
    EXPECT_TRUE(run.out == "Hello.\n*Pleased*\n" ||
                run.out == std::string(100 * kMegabyte, 'A') + "\n*Pleased*\n")
        << run.out.size() << " bytes of output";
    EXPECT_TRUE(ReadBytes(knowledgePath) == HundredMegabyteLineFile());
}

TEST_F(ConsoleHostileInputTest, MillionRecordsWithEmptyGroupsAnswerAndAreKept) {
    WriteBytes(knowledgePath, MillionRecordsWithEmptyGroups());
    const MeasuredRun run =
        Run("1 million records with empty groups", "hello\n" + std::string(kTeach));
    EXPECT_EQ(run.out, "Hello.\n*Pleased*\n*Acknowledge*\n");
    EXPECT_TRUE(ReadBytes(knowledgePath) ==
                MillionRecordsWithEmptyGroups() + std::string(kTaughtRecord));
}

TEST_F(ConsoleHostileInputTest, MillionEmptyLinesAreReportedAndNeverOverwritten) {
    const std::string file(1'000'000, '\n');
    WriteBytes(knowledgePath, file);
    const MeasuredRun run = Run("1 million empty lines", "hello\n" + std::string(kTeach));
    EXPECT_EQ(run.out, std::string(kMisaligned) + "Hello.\n*Pleased*\n*Acknowledge*\n");
    EXPECT_TRUE(ReadBytes(knowledgePath) == file);
}

TEST_F(ConsoleHostileInputTest, NulHighAndCarriageReturnBytesSurviveLoadAndSave) {
    std::string file("R\0ply\r\nK\0Y\r\n\r\n", 13);
    file += "\xE9t\xE9 \x80\xFF\r\n\xC9\xFF\r\n!\r\n\x80\r\n\r\n";
    file += "a\rb\r\nKEY\rWORD\r\n\r\n";
    file += "\r\r\n\x1A\r\n\r\n";
    WriteBytes(knowledgePath, file);
    const MeasuredRun run =
        Run("NUL bytes, bytes 0x80 to 0xFF and lone CRs in the file", std::string(kTeach));
    EXPECT_EQ(run.out, "*Acknowledge*\n");
    EXPECT_EQ(ReadBytes(knowledgePath), file + std::string(kTaughtRecord));
}

TEST_F(ConsoleHostileInputTest, DirectoryInPlaceOfTheFileIsReportedAndLeftAsItIs) {
    fs::create_directory(knowledgePath);
    WriteBytes(fs::path(knowledgePath) / "inside", "kept");
    const MeasuredRun run =
        Run("a directory in place of the file", "hello\n" + std::string(kTeach));
    EXPECT_EQ(run.out, std::string(kLoadFailed) + "Hello.\n*Pleased*\n*Acknowledge*\n");
    EXPECT_TRUE(fs::is_directory(knowledgePath));
    EXPECT_EQ(ReadBytes(fs::path(knowledgePath) / "inside"), "kept");
    EXPECT_THAT(OtherFiles(), IsEmpty());
}

TEST_F(ConsoleHostileInputTest, LinkToItselfIsReportedAndLeftAsItIs) {
    fs::create_symlink("Wobbet.dat", knowledgePath);
    const MeasuredRun run = Run("a symbolic link to itself", "hello\n" + std::string(kTeach));
    EXPECT_EQ(run.out, std::string(kLoadFailed) + "Hello.\n*Pleased*\n*Acknowledge*\n");
    EXPECT_TRUE(fs::is_symlink(knowledgePath));
    EXPECT_EQ(fs::read_symlink(knowledgePath), "Wobbet.dat");
    EXPECT_THAT(OtherFiles(), IsEmpty());
}

TEST_F(ConsoleHostileInputTest, TenMegabytePhraseIsLearnedAndSaved) {
    const MeasuredRun run = Run("a 10 MB phrase on standard input", TenMegabytePhrase() + "\n");
    EXPECT_THAT(run.out, EndsWith("*Sad*\n"));
    EXPECT_LT(run.out.size(), 200u);
    // Nothing known, so the whole phrase is learned, with an empty context section.
    const std::string phrase = TenMegabytePhrase();
    EXPECT_TRUE(ReadBytes(knowledgePath) == "W" + phrase.substr(1) + "\r\n!\r\n\r\n");
}

}  // namespace
}  // namespace wobbet::testing
