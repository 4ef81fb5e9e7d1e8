#include "agent/desktop/speech_synthesizer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "tests/agent/desktop/speech_test_support.h"

namespace wobbet::testing {
namespace {

using desktop::RenderedSpeech;
using desktop::SpeechSynthesizer;
using desktop::VoiceSettings;
using ::testing::Contains;
using ::testing::Field;
using ::testing::Gt;

class SpeechSynthesizerTest : public ::testing::Test {
protected:
    void SetUp() override {
        synthesizer = SpeechSynthesizer::Open();
        ASSERT_NE(synthesizer, nullptr) << "espeak-ng has no voice data";
    }

    RenderedSpeech Render(const std::string& text, int rate = VoiceSettings::kNormalRate) {
        VoiceSettings settings;
        settings.rate = rate;
        return synthesizer->Render(text, settings);
    }

    SpeechSynthesizer* synthesizer = nullptr;
};

TEST_F(SpeechSynthesizerTest, RendersAPlausibleLengthWithOneEventPerWord) {
    const RenderedSpeech speech = Render("Hello, how are you today?");

    // Five words at 175 words a minute take about 1.7 s; allow for pauses and voice differences.
    EXPECT_GT(speech.Seconds(), 1.0);
    EXPECT_LT(speech.Seconds(), 3.5);
    std::vector<int> starts;
    for (const desktop::SpokenWord& word : speech.words) {
        starts.push_back(word.textPosition);
        EXPECT_LT(word.sample, speech.samples.size());
    }
    EXPECT_THAT(starts, ::testing::ElementsAre(0, 7, 11, 15, 19));
    EXPECT_EQ(speech.words.at(1).length, 3);
    EXPECT_FALSE(speech.stopped);
    SaveWav("hello.wav", speech.samples, speech.sampleRate);
}

TEST_F(SpeechSynthesizerTest, SpeedAndTextLengthChangeTheLength) {
    const std::string sentence = "The quick brown fox jumps over the lazy dog.";
    const double slow = Render(sentence, VoiceSettings::kSlowest).Seconds();
    const double fast = Render(sentence, VoiceSettings::kFastest).Seconds();
    EXPECT_LT(fast * 2.5, slow);
    EXPECT_GT(Render(sentence + " " + sentence).Seconds(), 1.8 * Render(sentence).Seconds());
}

TEST_F(SpeechSynthesizerTest, StopCutsRenderingShort) {
    int blocks = 0;
    const RenderedSpeech speech = synthesizer->Render(
        "This sentence would take a good few seconds to say in full, if it were allowed to.",
        VoiceSettings{}, [&blocks] { return ++blocks == 2; });
    EXPECT_TRUE(speech.stopped);
    EXPECT_LT(speech.Seconds(), 0.5);
}

TEST_F(SpeechSynthesizerTest, ListsVoicesAndFallsBackFromAnUnknownOne) {
    EXPECT_THAT(synthesizer->Voices(),
                Contains(Field(&desktop::VoiceDescription::language, "en-gb")));

    VoiceSettings settings;
    settings.voice = "no such voice";
    settings.rate = 100000;
    settings.pitch = -5;
    EXPECT_GT(synthesizer->Render("Still here.", settings).Seconds(), 0.1);
}

TEST_F(SpeechSynthesizerTest, GivesEmptySpeechForEmptyText) {
    const RenderedSpeech speech = Render("");
    EXPECT_TRUE(speech.words.empty());
    EXPECT_LT(speech.Seconds(), 0.2);
}

TEST(SpeechSynthesizerWithoutData, IsMissingRatherThanEndingTheProgram) {
    // espeak-ng starts once per process, so this runs in a fresh one.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const std::filesystem::path empty = std::filesystem::current_path() / "no-voice-data";
    std::filesystem::create_directories(empty);
    EXPECT_EXIT(std::exit(SpeechSynthesizer::Open(empty.string()) == nullptr ? 0 : 1),
                ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace wobbet::testing
