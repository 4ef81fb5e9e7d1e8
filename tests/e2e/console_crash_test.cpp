// Kills wobbet-console with SIGKILL at random instants while it loads a large knowledge file,
// learns and saves it: after every kill the file must be exactly the old one or exactly the new.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <thread>

#include "tests/e2e/measured_console.h"
#include "tests/support/scratch_directory.h"

namespace wobbet::testing {
namespace {

constexpr std::size_t kRecords = 200'000;  // about 10 MB
constexpr int kKills = 100;
constexpr std::string_view kTeach = "/teach\nrobust phrase\nrobust reply\n";
constexpr std::string_view kTaughtRecord = "Robust reply\r\nROBUST\r\nPHRASE\r\n\r\n";

class ConsoleCrashTest : public ScratchDirectoryTest {
protected:
    std::vector<std::string> Arguments() const {
        return {"--seed", "1", "--knowledge", knowledgePath};
    }

    void RemoveOtherFiles() const {
        for (const std::string& name : OtherFiles()) {
            std::filesystem::remove(directory / name);
        }
    }
};

TEST_F(ConsoleCrashTest, KillAtAnyInstantLeavesTheOldFileOrTheNewOne) {
    const std::string oldFile = GeneratedKnowledge(kRecords);
    const std::string newFile = oldFile + std::string(kTaughtRecord);

    // One run to its end gives the new file and the span over which to kill.
    WriteBytes(knowledgePath, oldFile);
    const MeasuredRun complete = RunMeasured(Arguments(), std::string(kTeach));
    ASSERT_FALSE(complete.timedOut);
    ASSERT_EQ(complete.exitStatus, 0) << complete.err;
    ASSERT_TRUE(ReadBytes(knowledgePath) == newFile);

    // Fixed, so that a failure can be replayed.
    std::mt19937 instants(20261206);
    std::uniform_int_distribution<long> microseconds(0, static_cast<long>(complete.seconds * 1e6));
    int oldKept = 0;
    int killedMidSave = 0;
    int newInPlace = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        WriteBytes(knowledgePath, oldFile);
        RemoveOtherFiles();
        const long instant = microseconds(instants);
        MeasuredConsole console(Arguments(), std::string(kTeach), false);
        ASSERT_TRUE(console.Started());
        std::this_thread::sleep_for(std::chrono::microseconds(instant));
        console.Kill();

        const std::string after = ReadBytes(knowledgePath);
        const bool isOld = after == oldFile;
        ASSERT_TRUE(isOld || after == newFile)
            << "kill " << kill << " at " << instant << " us left " << after.size()
            << " bytes that are neither the old file nor the new one";
        // A temporary file beside the old one means the kill came while the new one was written.
        const bool midSave = isOld && !OtherFiles().empty();
        oldKept += isOld && !midSave ? 1 : 0;
        killedMidSave += midSave ? 1 : 0;
        newInPlace += isOld ? 0 : 1;
    }
    std::printf(
        "[figures] %d kills over %.3f s (a full run, %zu records): %d before the save, %d while "
        "the new file was written, %d after it replaced the old one\n",
        kKills, complete.seconds, kRecords, oldKept, killedMidSave, newInPlace);
}

}  // namespace
}  // namespace wobbet::testing
