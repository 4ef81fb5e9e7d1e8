#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "agent/desktop/audio_output.h"
#include "agent/desktop/speech_synthesizer.h"

namespace wobbet::desktop {

struct SpeechEvent {
    enum class Kind { kStarted, kWord, kFinished };

    Kind kind = Kind::kStarted;
    std::uint64_t utterance = 0;
    // kWord: where the word is in the text, in characters.
    int textPosition = 0;
    int length = 0;
    // kFinished: the utterance was cut off (or dropped from the queue) by StopAll.
    bool cutOff = false;
};

// The character's voice: speaks texts one after another on a thread of its own, so that neither
// speaking nor cutting off ever waits on synthesis or the sound device. Events come, in order, on
// that thread: Started, a Word as each word is heard, then Finished.
//
// Without voice data (no synthesizer) or without a sound device the voice still runs: words are
// timed by an estimate or by the silent sound, so a balloon and a moving mouth keep their pace.
class CharacterVoice {
public:
    using EventHandler = std::function<void(const SpeechEvent&)>;
    // Opens the sound output on the voice's thread; may give nullptr for silence.
    using OutputOpener = std::function<std::unique_ptr<AudioOutput>(int sampleRate)>;

    CharacterVoice(SpeechSynthesizer* synthesizer, OutputOpener openOutput, EventHandler onEvent);
    // Cuts off what is playing and waits for the voice's thread to end.
    ~CharacterVoice();

    CharacterVoice(const CharacterVoice&) = delete;
    CharacterVoice& operator=(const CharacterVoice&) = delete;

    // Queues the text after what is playing and returns its utterance number at once.
    std::uint64_t Speak(std::string text);
    // Cuts off the current utterance and drops the queued ones; returns at once.
    void StopAll();

    // Applied from the next utterance on.
    void SetSettings(const VoiceSettings& settings);
    VoiceSettings Settings() const;
    bool HasVoiceData() const { return synthesizer_ != nullptr; }

private:
    struct Utterance {
        std::uint64_t id;
        std::uint64_t generation;
        std::string text;
    };

    void Run();
    // Plays one utterance; false when it was cut off. A failing output is dropped.
    bool Play(const Utterance& utterance, const VoiceSettings& settings,
              std::unique_ptr<AudioOutput>& output);
    bool CutOff(std::uint64_t generation) const { return generation != generation_.load(); }
    // Sleeps until the time or until the utterance is cut off; false when cut off.
    template <typename TimePoint>
    bool WaitUntil(TimePoint time, std::uint64_t generation);

    SpeechSynthesizer* const synthesizer_;
    const OutputOpener openOutput_;
    const EventHandler onEvent_;

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Utterance> queue_;
    VoiceSettings settings_;
    std::uint64_t lastUtterance_ = 0;
    bool quit_ = false;
    // Raised by StopAll: utterances from an older generation are cut off.
    std::atomic<std::uint64_t> generation_{0};
    std::thread thread_;
};

// What a text would sound like without voice data: silence at 1000 samples a second, with one
// word after another at the settings' rate.
RenderedSpeech EstimateSpeech(const std::string& text, const VoiceSettings& settings);

}  // namespace wobbet::desktop
