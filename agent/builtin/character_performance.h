#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

#include "agent/figure/character_pose.h"

namespace wobbet::builtin {

using Milliseconds = std::int64_t;

// The voice the built-in character speaks with. Speaking never blocks: the voice reports each
// word and the end of a text later, through CharacterPerformance::OnWord and OnSpeechEnded.
class SpeakingVoice {
public:
    virtual ~SpeakingVoice() = default;
    // Starts speaking the text and gives its stream number; false when it cannot.
    virtual bool Speak(const std::wstring& text, std::uint32_t* stream) = 0;
    // Drops the text being spoken and any that wait.
    virtual void Purge() = 0;
    // False when the voice speaks but cannot say where it is.
    virtual bool ReportsEvents() const = 0;
};

// What the character looks like at a moment.
struct CharacterFrame {
    figure::CharacterPose pose;
    bool visible = false;
    bool balloonVisible = false;
    std::wstring balloonText;
};

// The built-in character's requests, played one after another as a character server plays
// them: an animation waits for the one before, a reply for the speech before. Time comes from
// the caller, so that the whole behaviour runs the same under a test's clock.
//
// Speech shows in a balloon, word by word as the voice reports its words, and the mouth moves on
// each word. Without a voice, or when the voice fails, the balloon shows the whole text at once
// and closes after a reading time; nothing ever waits for the voice.
class CharacterPerformance {
public:
    static constexpr Milliseconds kWordMilliseconds = 220;
    static constexpr Milliseconds kBalloonLinger = 1200;

    // The voice may be null (silence) and must outlive the performance.
    CharacterPerformance(SpeakingVoice* voice, Milliseconds now);

    void Show(bool fast, Milliseconds now);
    void Hide(Milliseconds now);
    // False for an animation the character does not have.
    bool Play(std::string_view animation, Milliseconds now);
    void Speak(std::wstring text, Milliseconds now);
    // Cuts off the current speech and drops the speech that waits.
    void StopSpeaking(Milliseconds now);
    // Cuts off the current animation and drops the animations that wait.
    void StopAnimations(Milliseconds now);

    // The voice's reports about a stream; those about a stream cut off are ignored.
    void OnWord(std::uint32_t stream, std::size_t position, std::size_t length, Milliseconds now);
    void OnSpeechEnded(std::uint32_t stream, Milliseconds now);
    // The voice could not report on the speech under way: the rest is read, not heard.
    void OnSpeechFailed(Milliseconds now);

    // Ends what is due by now and starts what waits.
    void Advance(Milliseconds now);
    CharacterFrame Frame(Milliseconds now) const;
    // Visible as last asked, even while the Show or Hide animation still runs.
    bool Visible() const { return visibleAsAsked_; }

    // How long a text stays in the balloon when it is not heard.
    static Milliseconds ReadingTime(const std::wstring& text);

private:
    struct Request {
        enum class Kind { kShow, kHide, kPlay, kSpeak };
        Kind kind;
        const figure::CharacterAnimation* animation = nullptr;
        std::wstring text;
    };

    void Enqueue(Request request, Milliseconds now);
    void StartNext(Milliseconds now);
    void Finish(Milliseconds now);
    void StartSpeech(Milliseconds now);
    void ReadSilently(Milliseconds now);

    SpeakingVoice* const voice_;
    const Milliseconds epoch_;
    std::deque<Request> queue_;
    std::optional<Request> current_;
    Milliseconds started_ = 0;
    // Speech: the stream heard, or none while the text is read; when the current request ends.
    std::optional<std::uint32_t> stream_;
    std::optional<Milliseconds> due_;
    Milliseconds lastWord_ = -kWordMilliseconds;
    bool shown_ = false;
    bool visibleAsAsked_ = false;
    std::wstring balloonText_;
    bool balloonOpen_ = false;
    std::optional<Milliseconds> balloonCloses_;
};

}  // namespace wobbet::builtin
