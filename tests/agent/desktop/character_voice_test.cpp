#include "agent/desktop/character_voice.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>

#include "tests/agent/desktop/speech_test_support.h"

namespace wobbet::testing {
namespace {

using desktop::CharacterVoice;
using desktop::SpeechSynthesizer;
using desktop::VoiceSettings;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

constexpr const char* kLongText =
    "Once upon a time there was a little program that liked to talk, and it talked and talked "
    "for a very long time, much longer than anyone wanted to listen.";

class CharacterVoiceTest : public ::testing::Test {
protected:
    MemoryOutput::Shared sound;
    SpeechEventLog events;

    std::unique_ptr<CharacterVoice> MakeVoice(SpeechSynthesizer* synthesizer) {
        return std::make_unique<CharacterVoice>(
            synthesizer,
            [this](int sampleRate) {
                auto output = std::make_unique<MemoryOutput>(sound);
                output->Open(sampleRate);
                return output;
            },
            events.Handler());
    }

    std::size_t SamplesHeard() {
        const std::lock_guard lock(sound.mutex);
        return sound.samples.size();
    }

    SpeechSynthesizer* Synthesizer() {
        SpeechSynthesizer* synthesizer = SpeechSynthesizer::Open();
        EXPECT_NE(synthesizer, nullptr) << "espeak-ng has no voice data";
        return synthesizer;
    }
};

TEST_F(CharacterVoiceTest, SpeaksQueuedTextsInTurnWithTheirWords) {
    SpeechSynthesizer* synthesizer = Synthesizer();
    auto voice = MakeVoice(synthesizer);
    EXPECT_EQ(voice->Speak("One two."), 1u);
    EXPECT_EQ(voice->Speak("Three."), 2u);
    ASSERT_TRUE(events.WaitFor("finished 2"));

    EXPECT_THAT(events.Lines(), ElementsAre("started 1", "word 1 0 3", "word 1 4 3", "finished 1",
                                            "started 2", "word 2 0 5", "finished 2"));
    // Every sample reaches the device; espeak-ng varies its output a little from one run to the
    // next, so compare with a fresh rendering loosely.
    const auto rendered =
        static_cast<double>(synthesizer->Render("One two.", VoiceSettings{}).samples.size() +
                            synthesizer->Render("Three.", VoiceSettings{}).samples.size());
    EXPECT_NEAR(static_cast<double>(SamplesHeard()), rendered, rendered * 0.05);
}

TEST_F(CharacterVoiceTest, StopAllCutsOffTheCurrentTextAndDropsTheQueue) {
    SpeechSynthesizer* synthesizer = Synthesizer();
    auto voice = MakeVoice(synthesizer);
    voice->Speak(kLongText);
    voice->Speak("Never heard.");
    ASSERT_TRUE(events.WaitFor("word 1 5 4"));  // "upon"
    voice->StopAll();
    ASSERT_TRUE(events.WaitFor("cut off 2"));

    EXPECT_THAT(events.Lines(), Contains("cut off 1"));
    EXPECT_THAT(events.Lines(), Not(Contains("started 2")));
    const std::size_t full = synthesizer->Render(kLongText, VoiceSettings{}).samples.size();
    EXPECT_LT(SamplesHeard(), full / 4);
    EXPECT_EQ(sound.flushes, 1);

    // The voice goes on speaking afterwards.
    voice->Speak("Hello.");
    EXPECT_TRUE(events.WaitFor("finished 3"));
}

TEST_F(CharacterVoiceTest, WithoutVoiceDataTheWordsStillComeInSilence) {
    auto voice = MakeVoice(nullptr);
    EXPECT_FALSE(voice->HasVoiceData());
    voice->Speak("Caf\xc3\xa9 au  lait.");
    ASSERT_TRUE(events.WaitFor("finished 1"));
    EXPECT_THAT(events.Lines(),
                ElementsAre("started 1", "word 1 0 4", "word 1 5 2", "word 1 9 5", "finished 1"));
    EXPECT_EQ(SamplesHeard(), 0u);
}

TEST_F(CharacterVoiceTest, WithoutASoundDeviceItSpeaksSilently) {
    CharacterVoice voice(
        Synthesizer(), [](int) { return nullptr; }, events.Handler());
    voice.Speak("Quiet.");
    ASSERT_TRUE(events.WaitFor("finished 1"));
    EXPECT_THAT(events.Lines(), ElementsAre("started 1", "word 1 0 5", "finished 1"));
}

TEST_F(CharacterVoiceTest, ASoundDeviceThatFailsIsDroppedAndSpeechGoesOn) {
    sound.failAfter = 2000;
    auto voice = MakeVoice(Synthesizer());
    voice->Speak("One two.");
    voice->Speak("Three.");
    ASSERT_TRUE(events.WaitFor("finished 2"));
    EXPECT_THAT(events.Lines(), Contains("word 2 0 5"));
    EXPECT_LE(SamplesHeard(), 2000u);
}

TEST(EstimatedSpeech, GivesEachWordItsTurnAtTheChosenRate) {
    const desktop::RenderedSpeech speech = desktop::EstimateSpeech(" hi  there ", {"en", 120, 50});
    ASSERT_EQ(speech.words.size(), 2u);
    EXPECT_EQ(speech.words[0].textPosition, 1);
    EXPECT_EQ(speech.words[1].textPosition, 5);
    EXPECT_EQ(speech.words[1].sample, 500u);
    EXPECT_DOUBLE_EQ(speech.Seconds(), 1.0);
}

}  // namespace
}  // namespace wobbet::testing
