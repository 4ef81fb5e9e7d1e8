// Drives the built wobbet-console through pipes with fixed seeds. The expected outputs follow
// from the generator: with --seed 1 the draws are 41, 18467, 6334, 26500, 19169, 15724, 11478,
// 29358, 26962, 24464, 5705, 28145, 23281, 16827, 9961, 491, 2995, 11942, 4827, 5436, 32391,
// 14604, 3902, 153, 292, 12382, 17421, 18716, 19718, 19895, 5447, 21726, 14771, 11538, 1869,
// 19912, 25667, ... Each Say takes one draw per keyword group, then one for the learn decision,
// then one more for the reply when it learns at mood 0.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "tests/e2e/console_process.h"

namespace wobbet::testing {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::StartsWith;

constexpr std::string_view kExampleFileWithLineFeeds =
    "Fine, thanks\nHELLO\n!\nGOOD\nMORNING\n\nNice weather today.\n\n";

class ConsoleTest : public ::testing::Test {
protected:
    fs::path directory;
    std::string knowledgePath;

    void SetUp() override {
        std::random_device entropy;
        directory = fs::temp_directory_path() / ("wobbet-console-" + std::to_string(entropy()));
        ASSERT_TRUE(fs::create_directory(directory));
        knowledgePath = (directory / "knowledge.dat").string();
    }

    void TearDown() override { fs::remove_all(directory); }

    ConsoleProcess::Result Run(const std::string& input,
                               std::vector<std::string> options = {"--seed", "1", "--trace"}) {
        options.push_back("--knowledge");
        options.push_back(knowledgePath);
        return RunConsole(options, input, directory.string());
    }

    static std::string ReadBytes(const fs::path& name) {
        std::ifstream in(name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    static void WriteBytes(const fs::path& name, std::string_view bytes) {
        std::ofstream(name, std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
};

TEST_F(ConsoleTest, ConversationWithCommandsIsTracedAndLearned) {
    // hello: draws 0-7, record 0 has the only hit, score 1; mood 1 -> 2.
    // nice weather: draws 8-14, record 3 (28145) wins without hits, score 0 learns; mood 2 -> 1.
    // The Teach stores "Not much" keyed WHAT UP and clears Context; /help is for terminals only.
    // /slash: draws 16-24, record 4 (32391) wins, Context off gives score 0; mood 1 -> 0.
    // The empty line gets the instruction without a draw.
    // what is up: draws 26-35, "Not much" has 2 hits of 2 words, score 1; mood 0 -> 1.
    const auto result =
        Run("hello\nnice weather\n/teach\nwhat is up\nnot much\n/context off\n/help\n//slash\n"
            "/bogus\n/context maybe\n\nwhat is up\n");

    EXPECT_EQ(result.out,
              "Hello.\n*Pleased*\n"
              "*Acknowledge*\nI feel great.\n"
              "*Acknowledge*\n"
              "*Acknowledge*\nI was written by Zentalo Software.\n*Sad*\n"
              "!Unknown command: /bogus\n"
              "!Unknown command: /context maybe\n"
              "Type something in the text box.  Then click the 'Say' button.\n"
              "Not much\n");
    EXPECT_EQ(result.errors, "");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(ReadBytes(knowledgePath),
              "Nice weather\r\nHELLO\r\n!\r\nHELLO\r\n\r\n"
              "Not much\r\nWHAT\r\nUP\r\n\r\n"
              "/slash\r\n\r\n");
}

TEST_F(ConsoleTest, LearnedRecordsAreKeptAcrossRuns) {
    WriteBytes(knowledgePath, kExampleFileWithLineFeeds);

    // 9 groups. good morning: draws 0-8, record 0 has the only hit, score 1/2, draw 9 (24464)
    // learns; mood 1 -> 0. hello: draws 10-19, records 0 and 7 have a hit each and record 7's
    // draw (11942) beats record 0's (5705); score 1/2, draw 20 learns; at mood 0 the reply is
    // record 14604 mod 11 = 7.
    const auto result = Run("good morning\nhello\n");

    EXPECT_EQ(result.out, "*Acknowledge*\nHello.\n*Sad*\n*Acknowledge*\nFine, thanks\n");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(ReadBytes(knowledgePath),
              "Fine, thanks\r\nHELLO\r\n!\r\nGOOD\r\nMORNING\r\n\r\n"
              "Nice weather today.\r\n\r\n"
              "Good morning\r\n!\r\n\r\n"
              "Hello\r\nHELLO\r\n!\r\nGOOD\r\nMORNING\r\n\r\n");
}

TEST_F(ConsoleTest, DamagedFileIsReportedOnStandardErrorAndKept) {
    const std::string damaged = "\r\nOops\r\n\r\n";
    WriteBytes(knowledgePath, damaged);

    const auto result = Run("nice weather\n", {"--seed", "1"});

    EXPECT_EQ(result.out, "I feel great.\n");
    EXPECT_EQ(result.errors,
              "Storage error: Space misalignment. Records added in this session cannot be "
              "saved.\n");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(ReadBytes(knowledgePath), damaged);
}

TEST_F(ConsoleTest, TracedMessagesComeInOrderOnStandardOutput) {
    fs::create_directory(knowledgePath);

    const auto result = Run("hello\n");

    EXPECT_EQ(result.out,
              "!Storage error: Load failed. Records added in this session cannot be saved.\n"
              "Hello.\n*Pleased*\n");
    EXPECT_EQ(result.errors, "");
    EXPECT_TRUE(fs::is_directory(knowledgePath));
}

TEST_F(ConsoleTest, CarriageReturnLineFeedEndsLinesAndQuitStopsReading) {
    // nice weather: draws 0-6, record 3 (26500) wins, Context off gives score 0; mood 1 -> 0.
    const auto result = Run("/context off\r\nnice weather\r\n/quit\r\nhello\n");

    EXPECT_EQ(result.out, "*Acknowledge*\nI feel great.\n*Sad*\n");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(ReadBytes(knowledgePath), "Nice weather\r\n\r\n");
}

TEST_F(ConsoleTest, LastLineWithoutLineFeedCounts) {
    const auto result = Run("/teach\nwhat is up\nnot much");

    EXPECT_EQ(result.out, "*Acknowledge*\n");
    EXPECT_EQ(ReadBytes(knowledgePath), "Not much\r\nWHAT\r\nUP\r\n\r\n");
}

TEST_F(ConsoleTest, TeachCutShortByTheEndOfInputIsCancelled) {
    const auto result = Run("/teach\nwhat is up\n");

    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(ReadBytes(knowledgePath), "");
    EXPECT_TRUE(fs::exists(knowledgePath));
}

TEST_F(ConsoleTest, InterruptSavesWhatWasLearned) {
    ConsoleProcess process(WOBBET_CONSOLE, {"--seed", "1", "--knowledge", knowledgePath},
                           directory.string());
    process.Write("nice weather\n");
    ASSERT_TRUE(process.WaitForOutput("I feel great.\n"));

    process.Signal(SIGINT);
    const auto result = process.Finish();

    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(ReadBytes(knowledgePath), "Nice weather\r\n!\r\n\r\n");
}

TEST_F(ConsoleTest, KnowledgeFileDefaultsToBesideTheProgram) {
    const fs::path programDirectory = directory / "program";
    const fs::path elsewhere = directory / "elsewhere";
    fs::create_directory(programDirectory);
    fs::create_directory(elsewhere);
    const fs::path program = programDirectory / "wobbet-console";
    fs::copy_file(WOBBET_CONSOLE, program);

    ConsoleProcess process(program.string(), {"--seed", "1"}, elsewhere.string());
    process.Write("nice weather\n");
    const auto result = process.Finish();

    EXPECT_EQ(result.out, "I feel great.\n");
    EXPECT_EQ(ReadBytes(programDirectory / "Wobbet.dat"), "Nice weather\r\n!\r\n\r\n");
    EXPECT_TRUE(fs::is_empty(elsewhere));
}

TEST_F(ConsoleTest, TerminalGetsPromptsGreetingAndHelp) {
    ConsoleProcess process(WOBBET_CONSOLE, {"--seed", "1", "--knowledge", knowledgePath},
                           directory.string(), ConsoleProcess::Input::kTerminal);
    ASSERT_TRUE(process.WaitForOutput("[context on] > "));
    process.Write("/help\n");
    ASSERT_TRUE(process.WaitForOutput("/quit"));
    process.Write("/context off\n");
    ASSERT_TRUE(process.WaitForOutput("[context off] > "));
    process.Write("/teach\n");
    ASSERT_TRUE(process.WaitForOutput("If you say this: "));
    process.Write("what is up\n");
    ASSERT_TRUE(process.WaitForOutput("I should say this: "));
    process.Write("not much\n");
    process.CloseInput();
    const auto result = process.Finish();

    EXPECT_THAT(result.out, StartsWith("Wobbet is listening"));
    EXPECT_THAT(result.out, HasSubstr("/teach"));
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(ReadBytes(knowledgePath), "Not much\r\nWHAT\r\nUP\r\n\r\n");
}

TEST_F(ConsoleTest, HelpPrintsUsage) {
    const auto result = RunConsole({"--help"}, "", directory.string());

    EXPECT_THAT(result.out,
                StartsWith("Usage: wobbet-console [--seed N] [--knowledge FILE] [--trace]\n"));
    EXPECT_EQ(result.errors, "");
    EXPECT_EQ(result.status, 0);
}

TEST_F(ConsoleTest, BadCommandLinesPrintUsageOnStandardErrorAndExitWithTwo) {
    const std::vector<std::vector<std::string>> badCommandLines = {
        {"--bogus"},
        {"--seed"},
        {"--seed", "abc"},
        {"--seed", "-1"},
        {"--seed", "4294967296"},
        {"--knowledge"},
        {"--knowledge", ""},
        {"hello"},
    };
    for (const auto& arguments : badCommandLines) {
        const auto result = RunConsole(arguments, "hello\n", directory.string());

        EXPECT_EQ(result.out, "") << arguments[0];
        EXPECT_THAT(result.errors, HasSubstr("Usage: wobbet-console")) << arguments[0];
        EXPECT_EQ(result.status, 2) << arguments[0];
    }
    EXPECT_TRUE(fs::is_empty(directory));
}

}  // namespace
}  // namespace wobbet::testing
