#include "agent/desktop/character_voice.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>

namespace wobbet::testing {
namespace {

using desktop::SpeechEvent;
using ::testing::AllOf;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::Not;

// A voice with a sound device that fails past failAfter samples, as one that went away does,
// and its events written down as "started 1", "word 1 0 3", "finished 1" or "cut off 1".
class CharacterVoiceTest : public ::testing::Test {
protected:
    std::atomic<std::size_t> samples = 0;
    std::atomic<int> flushes = 0;
    std::size_t failAfter = SIZE_MAX;
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::string> events;

    struct Device : desktop::AudioOutput {
        explicit Device(CharacterVoiceTest& test) : sound(test) {}
        bool Open(int) override { return true; }
        bool Write(const std::int16_t*, std::size_t count) override {
            return sound.samples + count <= sound.failAfter && (sound.samples += count, true);
        }
        void Flush() override { ++sound.flushes; }
        CharacterVoiceTest& sound;
    };

    std::unique_ptr<desktop::CharacterVoice> Voice(desktop::SpeechSynthesizer* synthesizer,
                                                   bool device = true) {
        return std::make_unique<desktop::CharacterVoice>(
            synthesizer,
            [this, device](int) { return device ? std::make_unique<Device>(*this) : nullptr; },
            [this](const SpeechEvent& event) {
                const char* kinds[] = {"started ", "word ", "finished "};
                const std::lock_guard lock(mutex);
                events.push_back((event.cutOff ? "cut off " : kinds[static_cast<int>(event.kind)]) +
                                 std::to_string(event.utterance));
                if (event.kind == SpeechEvent::Kind::kWord) {
                    events.back() += " " + std::to_string(event.textPosition) + " " +
                                     std::to_string(event.length);
                }
                changed.notify_all();
            });
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

TEST_F(CharacterVoiceTest, StopAllCutsOffTheCurrentTextAndDropsTheQueue) {
    desktop::SpeechSynthesizer* synthesizer = desktop::SpeechSynthesizer::Open();
    ASSERT_NE(synthesizer, nullptr) << "espeak-ng has no voice data";
    const std::string text = "Once upon a time there was a program that talked for a long time.";
    auto voice = Voice(synthesizer);
    voice->Speak(text);
    voice->Speak("Never heard.");
    EventsUntil("word 1 5 4");  // "upon"
    voice->StopAll();
    voice->Speak("Hello.");
    EXPECT_THAT(EventsUntil("finished 3"),
                AllOf(Contains("cut off 1"), Contains("cut off 2"), Not(Contains("started 2"))));
    EXPECT_LT(samples, synthesizer->Render(text, {}).samples.size() / 3);
    EXPECT_EQ(flushes, 1);
}

// Without voice data, without a sound device, or with one that fails, every word still comes.
class CharacterVoiceFallbackTest
    : public CharacterVoiceTest,
      public ::testing::WithParamInterface<std::tuple<bool, bool, std::size_t>> {};

TEST_P(CharacterVoiceFallbackTest, SpeaksEveryWordSilently) {
    const auto [voiceData, device, failingAfter] = GetParam();
    failAfter = failingAfter;
    auto voice = Voice(voiceData ? desktop::SpeechSynthesizer::Open() : nullptr, device);
    voice->Speak("One two");
    voice->Speak("Three");
    EXPECT_THAT(EventsUntil("finished 2"),
                ElementsAre("started 1", "word 1 0 3", "word 1 4 3", "finished 1", "started 2",
                            "word 2 0 5", "finished 2"));
    EXPECT_LE(samples, failAfter);
}

// Voice data, a sound device, and the samples after which it fails.
INSTANTIATE_TEST_SUITE_P(Outputs, CharacterVoiceFallbackTest,
                         ::testing::Values(std::tuple(false, true, 0), std::tuple(true, false, 0),
                                           std::tuple(true, true, 2000)));

}  // namespace
}  // namespace wobbet::testing
