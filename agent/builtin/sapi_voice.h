#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "agent/builtin/character_performance.h"
#include "agent/builtin/voice_settings.h"

struct ISpVoice;

namespace wobbet::builtin {

struct InstalledVoice {
    std::wstring id;
    std::wstring name;
};

// The system's voices, by their token ids and names; empty without speech.
std::vector<InstalledVoice> InstalledVoices();

// A SAPI voice speaking asynchronously. Its word and end events come as the given message to
// the given window, on that window's thread; ReadEvents then hands them on.
class SapiVoice final : public SpeakingVoice {
public:
    struct Handlers {
        std::function<void(std::uint32_t stream, std::size_t position, std::size_t length)> word;
        std::function<void(std::uint32_t stream)> ended;
    };

    // Null when the system has no speech; COM must be initialised on this thread.
    static std::unique_ptr<SapiVoice> Create(HWND window, UINT message);
    ~SapiVoice() override;
    SapiVoice(const SapiVoice&) = delete;
    SapiVoice& operator=(const SapiVoice&) = delete;

    bool Speak(const std::wstring& text, std::uint32_t* stream) override;
    void Purge() override;
    bool ReportsEvents() const override { return reportsEvents_; }

    // Applies the voice and rate; a voice that cannot be selected keeps the one before.
    void Apply(const VoiceSettings& settings);
    // Reads the events waiting; false when they could not be read.
    bool ReadEvents(const Handlers& handlers);

private:
    explicit SapiVoice(ISpVoice* voice) : voice_(voice) {}

    ISpVoice* voice_;
    bool reportsEvents_ = false;
};

}  // namespace wobbet::builtin
