#include "agent/desktop/character_voice.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <atomic>

namespace wobbet::testing {
namespace {

using ::testing::Contains;
using ::testing::IsSupersetOf;
using ::testing::Not;

// Voice data or not, a sound device or not, and the samples after which the device fails.
class CharacterVoiceTest : public ::testing::TestWithParam<std::tuple<bool, bool, std::size_t>> {
protected:
    std::atomic<std::size_t> samples = 0;
    std::atomic<int> flushes = 0;
    std::mutex mutex;
    std::condition_variable changed;
    // "started 1", "word 1 5" (the word at 5 in text 1), "finished 1" or "cut off 1".
    std::vector<std::string> events;

    struct Device : desktop::AudioOutput {
        explicit Device(CharacterVoiceTest& test) : sound(test) {}
        bool Open(int) override { return true; }
        bool Write(const std::int16_t*, std::size_t count) override {
            return sound.samples + count <= std::get<2>(GetParam()) &&
                   (sound.samples += count, true);
        }
        void Flush() override { ++sound.flushes; }
        CharacterVoiceTest& sound;
    };

    void Record(const desktop::SpeechEvent& event) {
        const char* kinds[] = {"started ", "word ", "finished "};
        const std::lock_guard lock(mutex);
        events.push_back((event.cutOff ? "cut off " : kinds[static_cast<int>(event.kind)]) +
                         std::to_string(event.utterance) +
                         (event.length > 0 ? " " + std::to_string(event.textPosition) : ""));
        changed.notify_all();
    }

    // The events until the given one, which comes within a generous time.
    std::vector<std::string> EventsUntil(const std::string& last) {
        std::unique_lock lock(mutex);
        changed.wait_for(lock, std::chrono::seconds(20), [&] {
            return std::find(events.begin(), events.end(), last) != events.end();
        });
        return events;
    }
};

// Every word comes in its turn; StopAll cuts the current text off and drops the queued ones.
TEST_P(CharacterVoiceTest, SpeaksEveryWordUntilCutOff) {
    const auto [voiceData, device, failAfter] = GetParam();
    desktop::CharacterVoice voice(
        voiceData ? desktop::SpeechSynthesizer::Open() : nullptr,
        [this, device](int) { return device ? std::make_unique<Device>(*this) : nullptr; },
        [this](const desktop::SpeechEvent& event) { Record(event); });
    voice.Speak("Once upon a time there was a program that talked for a long, long time.");
    voice.Speak("Never heard.");
    EventsUntil("word 1 5");  // "upon"
    voice.StopAll();
    voice.Speak("Three");
    EXPECT_THAT(EventsUntil("finished 3"), IsSupersetOf({"started 1", "word 1 0", "cut off 1",
                                                         "cut off 2", "started 3", "word 3 0"}));
    EXPECT_THAT(events, Not(Contains("started 2")));
    // The whole first text takes over four seconds, some 90000 samples.
    EXPECT_LT(samples, 40000u);
    EXPECT_EQ(flushes, failAfter == SIZE_MAX ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Outputs, CharacterVoiceTest,
                         ::testing::Values(std::tuple(true, true, SIZE_MAX),
                                           std::tuple(false, true, 0), std::tuple(true, false, 0),
                                           std::tuple(true, true, 2000)));

}  // namespace
}  // namespace wobbet::testing
