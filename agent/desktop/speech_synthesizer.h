#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace wobbet::desktop {

// How the character sounds: an espeak-ng voice name, words per minute and base pitch.
struct VoiceSettings {
    static constexpr int kSlowest = 80;
    static constexpr int kFastest = 450;
    static constexpr int kNormalRate = 175;
    static constexpr int kLowest = 0;
    static constexpr int kHighest = 100;
    static constexpr int kNormalPitch = 50;

    std::string voice = "en";
    int rate = kNormalRate;
    int pitch = kNormalPitch;

    // The same settings with rate and pitch moved into their ranges.
    VoiceSettings Clamped() const;
    bool operator==(const VoiceSettings&) const = default;
};

struct VoiceDescription {
    std::string name;      // what espeak-ng selects the voice by
    std::string language;  // its first language, such as "en-gb"
};

// A word's place in the text (in characters, from 0) and in the sound (in samples).
struct SpokenWord {
    int textPosition = 0;
    int length = 0;
    std::size_t sample = 0;
};

// A text rendered into memory: 16-bit mono samples and where each word starts.
struct RenderedSpeech {
    int sampleRate = 0;
    std::vector<std::int16_t> samples;
    std::vector<SpokenWord> words;
    bool stopped = false;  // rendering was cut off before the end

    double Seconds() const {
        return sampleRate > 0 ? static_cast<double>(samples.size()) / sampleRate : 0.0;
    }
};

// The process's espeak-ng library, used only through this object. The library keeps global
// state and cannot be restarted safely, so it is started once, by the first Open, and lives until
// the process ends; calls from several threads take turns.
class SpeechSynthesizer {
public:
    // The synthesizer, or nullptr when espeak-ng finds no voice data. dataPath is the folder that
    // holds espeak-ng's data (phontab and the rest); empty means the installed data. Only the
    // first call's dataPath counts.
    static SpeechSynthesizer* Open(const std::string& dataPath = {});

    SpeechSynthesizer(const SpeechSynthesizer&) = delete;
    SpeechSynthesizer& operator=(const SpeechSynthesizer&) = delete;

    int SampleRate() const { return sampleRate_; }
    std::vector<VoiceDescription> Voices();

    // Renders the text (UTF-8, or 8-bit where it is not valid UTF-8). stop is asked between
    // blocks of sound; when it answers true, rendering ends where it is.
    RenderedSpeech Render(const std::string& text, const VoiceSettings& settings,
                          const std::function<bool()>& stop = {});

private:
    explicit SpeechSynthesizer(int sampleRate) : sampleRate_(sampleRate) {}

    const int sampleRate_;
    std::mutex mutex_;
};

}  // namespace wobbet::desktop
