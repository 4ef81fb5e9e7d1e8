#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace wobbet::desktop {

// Where spoken sound goes. Called only from the voice's own thread.
class AudioOutput {
public:
    virtual ~AudioOutput() = default;

    // Prepares for 16-bit mono samples at the given rate; false when that is impossible.
    virtual bool Open(int sampleRate) = 0;
    // False when the output has failed; the voice then goes on without sound.
    virtual bool Write(const std::int16_t* samples, std::size_t count) = 0;
    // Drops what is waiting to be played, so that cut-off speech stops at once.
    virtual void Flush() = 0;
};

// The default sound device, or nullptr when there is none (no sound card, no sound server).
std::unique_ptr<AudioOutput> OpenSoundDevice(int sampleRate);

}  // namespace wobbet::desktop
