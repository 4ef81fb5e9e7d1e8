#include "agent/builtin/character_performance.h"

#include <gmock/gmock.h>

namespace wobbet::builtin {
namespace {

// Answers Speak as told and counts what it was asked.
struct FakeVoice : SpeakingVoice {
    bool speaks = true;
    bool reports = true;
    std::uint32_t nextStream = 1;
    std::vector<std::wstring> spoken;
    int purges = 0;

    bool Speak(const std::wstring& text, std::uint32_t* stream) override {
        spoken.push_back(text);
        *stream = nextStream++;
        return speaks;
    }
    void Purge() override { ++purges; }
    bool ReportsEvents() const override { return reports; }
};

class PerformanceTest : public ::testing::Test {
protected:
    FakeVoice voice;
    CharacterPerformance performance{&voice, 0};
    Milliseconds now = 0;

    // Shows the character and lets the Show animation end.
    void ShowCharacter() {
        performance.Show(false, now);
        At(1000);
    }
    CharacterFrame At(Milliseconds time) {
        now = time;
        performance.Advance(now);
        return performance.Frame(now);
    }
    bool Greeting() {
        performance.Play("Greet", now);
        return performance.Frame(now + 900).pose.rightArm > 90.0;
    }
};

TEST_F(PerformanceTest, WordsMoveTheMouthAndFillTheBalloonUntilTheEnd) {
    ShowCharacter();
    performance.Speak(L"Hello there.", now);
    EXPECT_THAT(voice.spoken, ::testing::ElementsAre(L"Hello there."));
    EXPECT_EQ(At(1010).balloonText, L"");
    performance.OnWord(1, 0, 5, now);
    const CharacterFrame word = At(now + CharacterPerformance::kWordMilliseconds / 2);
    EXPECT_TRUE(word.balloonVisible);
    EXPECT_EQ(word.balloonText, L"Hello");
    EXPECT_GT(word.pose.mouthOpen, 0.7);
    performance.OnWord(1, 6, 6, now);
    EXPECT_EQ(At(now).balloonText, L"Hello there.");
    performance.OnSpeechEnded(1, now);
    // The next request starts at once; the balloon lingers, then closes.
    EXPECT_TRUE(Greeting());
    EXPECT_TRUE(At(now + CharacterPerformance::kBalloonLinger - 1).balloonVisible);
    const CharacterFrame after = At(now + 1);
    EXPECT_FALSE(after.balloonVisible);
    EXPECT_LT(At(now + 5000).pose.mouthOpen, 0.01);
}

// No voice, a voice that cannot speak, one that speaks without reports and one that fails in the
// middle: the whole text shows and the balloon closes after the reading time.
TEST_F(PerformanceTest, UnheardSpeechIsReadAndTheBalloonClosesByItself) {
    const std::wstring text = L"Nice weather today.";
    const Milliseconds reading = CharacterPerformance::ReadingTime(text);
    for (int variant = 0; variant < 4; ++variant) {
        FakeVoice quiet;
        quiet.speaks = variant != 1;
        quiet.reports = variant != 2;
        CharacterPerformance silent(variant == 0 ? nullptr : &quiet, 0);
        silent.Show(true, 0);
        silent.Speak(text, 0);
        Milliseconds start = 0;
        if (variant == 3) {
            silent.OnWord(1, 0, 4, 100);
            EXPECT_EQ(silent.Frame(100).balloonText, L"Nice");
            silent.OnSpeechFailed(start = 200);
        }
        silent.Advance(start + reading - 1);
        EXPECT_EQ(silent.Frame(start + reading - 1).balloonText, text) << variant;
        EXPECT_TRUE(silent.Frame(start + reading - 1).balloonVisible) << variant;
        silent.Advance(start + reading + (variant == 2 ? CharacterPerformance::kBalloonLinger : 0));
        EXPECT_FALSE(silent.Frame(start + reading + 5000).balloonVisible) << variant;
    }
}

TEST_F(PerformanceTest, StopSpeakingPurgesAndIgnoresTheCutOffStream) {
    ShowCharacter();
    performance.Speak(L"One.", now);
    performance.Speak(L"Two.", now);
    performance.StopSpeaking(now);
    EXPECT_EQ(voice.purges, 1);
    EXPECT_FALSE(At(now).balloonVisible);
    performance.Speak(L"Three.", now);
    performance.OnWord(1, 0, 4, now);
    performance.OnSpeechEnded(1, now);
    EXPECT_THAT(voice.spoken, ::testing::ElementsAre(L"One.", L"Three."));
    EXPECT_EQ(At(now).balloonText, L"");
    // Speech still under way holds the next animation back.
    EXPECT_FALSE(Greeting());
    performance.OnSpeechEnded(2, now);
    EXPECT_TRUE(performance.Frame(now + 900).pose.rightArm > 90.0);
}

TEST_F(PerformanceTest, AnimationsQueueAndAHiddenCharacterSkipsThem) {
    EXPECT_FALSE(performance.Play("Dance", now));
    EXPECT_FALSE(Greeting());
    ShowCharacter();
    EXPECT_TRUE(performance.Visible());
    EXPECT_TRUE(Greeting());
    performance.Hide(now);
    EXPECT_FALSE(performance.Visible());
    EXPECT_TRUE(At(now + 1000).visible);
    EXPECT_FALSE(At(now + 3000).visible);
}

}  // namespace
}  // namespace wobbet::builtin
