#include "agent/desktop/character_voice.h"

#include <algorithm>
#include <chrono>

namespace wobbet::desktop {
namespace {

using Clock = std::chrono::steady_clock;

// Sound is handed to the device this far ahead of the clock, so that it never runs dry.
constexpr auto kLead = std::chrono::milliseconds(100);
// Each step of the clock covers this much sound.
constexpr int kStepsPerSecond = 50;

Clock::duration SoundTime(std::size_t samples, int sampleRate) {
    return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(
        static_cast<double>(samples) / static_cast<double>(sampleRate)));
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

}  // namespace

RenderedSpeech EstimateSpeech(const std::string& text, const VoiceSettings& settings) {
    constexpr int kSampleRate = 1000;
    const std::size_t wordTime = static_cast<std::size_t>(60 * kSampleRate) /
                                 static_cast<std::size_t>(settings.Clamped().rate);
    RenderedSpeech speech;
    speech.sampleRate = kSampleRate;
    int character = 0;
    for (std::size_t i = 0; i < text.size();) {
        if (IsSpace(text[i])) {
            ++i;
            ++character;
            continue;
        }
        int length = 0;
        while (i < text.size() && !IsSpace(text[i])) {
            // Counts characters, not bytes: UTF-8 continuation bytes add nothing.
            if ((static_cast<unsigned char>(text[i]) & 0xC0u) != 0x80u) {
                ++length;
            }
            ++i;
        }
        speech.words.push_back({character, length, speech.words.size() * wordTime});
        character += length;
    }
    speech.samples.assign(speech.words.size() * wordTime, 0);
    return speech;
}

CharacterVoice::CharacterVoice(SpeechSynthesizer* synthesizer, OutputOpener openOutput,
                               EventHandler onEvent)
    : synthesizer_(synthesizer),
      openOutput_(std::move(openOutput)),
      onEvent_(std::move(onEvent)),
      thread_([this] { Run(); }) {}

CharacterVoice::~CharacterVoice() {
    {
        const std::lock_guard lock(mutex_);
        quit_ = true;
        ++generation_;
    }
    wake_.notify_all();
    thread_.join();
}

std::uint64_t CharacterVoice::Speak(std::string text) {
    std::uint64_t id = 0;
    {
        const std::lock_guard lock(mutex_);
        id = ++lastUtterance_;
        queue_.push_back({id, generation_.load(), std::move(text)});
    }
    wake_.notify_all();
    return id;
}

void CharacterVoice::StopAll() {
    {
        const std::lock_guard lock(mutex_);
        ++generation_;
    }
    wake_.notify_all();
}

void CharacterVoice::SetSettings(const VoiceSettings& settings) {
    const std::lock_guard lock(mutex_);
    settings_ = settings.Clamped();
}

VoiceSettings CharacterVoice::Settings() const {
    const std::lock_guard lock(mutex_);
    return settings_;
}

void CharacterVoice::Run() {
    std::unique_ptr<AudioOutput> output;
    if (synthesizer_ != nullptr && openOutput_) {
        output = openOutput_(synthesizer_->SampleRate());
    }
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return quit_ || !queue_.empty(); });
        if (quit_) {
            return;
        }
        Utterance utterance = std::move(queue_.front());
        queue_.pop_front();
        const VoiceSettings settings = settings_;
        lock.unlock();
        // An utterance cut off while still queued finishes without starting.
        bool finished = false;
        if (!CutOff(utterance.generation)) {
            onEvent_({SpeechEvent::Kind::kStarted, utterance.id});
            finished = Play(utterance, settings, output);
            if (!finished && output != nullptr) {
                output->Flush();
            }
        }
        SpeechEvent done{SpeechEvent::Kind::kFinished, utterance.id};
        done.cutOff = !finished;
        onEvent_(done);
        lock.lock();
    }
}

template <typename TimePoint>
bool CharacterVoice::WaitUntil(TimePoint time, std::uint64_t generation) {
    std::unique_lock lock(mutex_);
    wake_.wait_until(lock, time, [&] { return CutOff(generation); });
    return !CutOff(generation);
}

bool CharacterVoice::Play(const Utterance& utterance, const VoiceSettings& settings,
                          std::unique_ptr<AudioOutput>& output) {
    const std::uint64_t generation = utterance.generation;
    const RenderedSpeech speech =
        synthesizer_ != nullptr
            ? synthesizer_->Render(utterance.text, settings,
                                   [this, generation] { return CutOff(generation); })
            : EstimateSpeech(utterance.text, settings);
    if (speech.stopped) {
        return false;
    }
    const std::size_t step =
        std::max<std::size_t>(1, static_cast<std::size_t>(speech.sampleRate / kStepsPerSecond));
    const Clock::time_point start = Clock::now();
    std::size_t word = 0;
    for (std::size_t position = 0; position < speech.samples.size(); position += step) {
        if (!WaitUntil(start + SoundTime(position, speech.sampleRate) - kLead, generation)) {
            return false;
        }
        const std::size_t count = std::min(step, speech.samples.size() - position);
        for (; word < speech.words.size() && speech.words[word].sample < position + count; ++word) {
            SpeechEvent event{SpeechEvent::Kind::kWord, utterance.id};
            event.textPosition = speech.words[word].textPosition;
            event.length = speech.words[word].length;
            onEvent_(event);
        }
        if (output != nullptr && !output->Write(speech.samples.data() + position, count)) {
            output.reset();
        }
    }
    return WaitUntil(start + SoundTime(speech.samples.size(), speech.sampleRate), generation);
}

}  // namespace wobbet::desktop
