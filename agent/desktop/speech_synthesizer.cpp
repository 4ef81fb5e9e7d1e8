#include "agent/desktop/speech_synthesizer.h"

#include <espeak-ng/speak_lib.h>

#include <algorithm>

namespace wobbet::desktop {
namespace {

// What one Render call collects; the library hands it back to the callback as user data.
struct RenderJob {
    RenderedSpeech* speech;
    const std::function<bool()>* stop;
};

int CollectSound(short* samples, int count, espeak_EVENT* events) {
    // Every event, the list's terminator included, carries the job of the current Render.
    auto* job = static_cast<RenderJob*>(events->user_data);
    if (job == nullptr) {
        return 0;
    }
    RenderedSpeech& speech = *job->speech;
    for (const espeak_EVENT* event = events; event->type != espeakEVENT_LIST_TERMINATED; ++event) {
        if (event->type == espeakEVENT_WORD) {
            const auto milliseconds = static_cast<std::size_t>(std::max(0, event->audio_position));
            speech.words.push_back(
                {event->text_position - 1, event->length,
                 milliseconds * static_cast<std::size_t>(speech.sampleRate) / 1000u});
        }
    }
    if (samples != nullptr && count > 0) {
        speech.samples.insert(speech.samples.end(), samples, samples + count);
    }
    if (*job->stop && (*job->stop)()) {
        speech.stopped = true;
        return 1;
    }
    return 0;
}

}  // namespace

VoiceSettings VoiceSettings::Clamped() const {
    VoiceSettings clamped = *this;
    clamped.rate = std::clamp(rate, kSlowest, kFastest);
    clamped.pitch = std::clamp(pitch, kLowest, kHighest);
    return clamped;
}

SpeechSynthesizer* SpeechSynthesizer::Open(const std::string& dataPath) {
    // Deliberately never destroyed: the library's own threads may outlive static destructors.
    static SpeechSynthesizer* const synthesizer = [&dataPath]() -> SpeechSynthesizer* {
        const int sampleRate = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 100,
                                                 dataPath.empty() ? nullptr : dataPath.c_str(),
                                                 espeakINITIALIZE_DONT_EXIT);
        if (sampleRate <= 0) {
            return nullptr;
        }
        espeak_SetSynthCallback(CollectSound);
        return new SpeechSynthesizer(sampleRate);
    }();
    return synthesizer;
}

std::vector<VoiceDescription> SpeechSynthesizer::Voices() {
    const std::lock_guard lock(mutex_);
    std::vector<VoiceDescription> voices;
    for (const espeak_VOICE** voice = espeak_ListVoices(nullptr); voice && *voice; ++voice) {
        // languages is a list of a priority byte followed by a string; the first one is enough.
        const char* languages = (*voice)->languages;
        voices.push_back(
            {(*voice)->name ? (*voice)->name : "", languages && *languages ? languages + 1 : ""});
    }
    return voices;
}

RenderedSpeech SpeechSynthesizer::Render(const std::string& text, const VoiceSettings& settings,
                                         const std::function<bool()>& stop) {
    const std::lock_guard lock(mutex_);
    RenderedSpeech speech;
    speech.sampleRate = sampleRate_;
    const VoiceSettings clamped = settings.Clamped();
    if (espeak_SetVoiceByName(clamped.voice.c_str()) != EE_OK) {
        espeak_SetVoiceByName("en");
    }
    espeak_SetParameter(espeakRATE, clamped.rate, 0);
    espeak_SetParameter(espeakPITCH, clamped.pitch, 0);

    RenderJob job{&speech, &stop};
    espeak_Synth(text.c_str(), text.size() + 1, 0, POS_CHARACTER, 0, espeakCHARS_AUTO, nullptr,
                 &job);
    return speech;
}

}  // namespace wobbet::desktop
