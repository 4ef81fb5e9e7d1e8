#include <pcaudiolib/audio.h>

#include "agent/desktop/audio_output.h"

namespace wobbet::desktop {
namespace {

// The system's sound output (PulseAudio, ALSA or OSS, whichever answers) through pcaudiolib.
class SoundDevice final : public AudioOutput {
public:
    SoundDevice() : device_(create_audio_device_object(nullptr, "Wobbet", "Wobbet's voice")) {}
    ~SoundDevice() override {
        if (device_ != nullptr) {
            if (open_) {
                audio_object_close(device_);
            }
            audio_object_destroy(device_);
        }
    }

    SoundDevice(const SoundDevice&) = delete;
    SoundDevice& operator=(const SoundDevice&) = delete;

    bool Open(int sampleRate) override {
        if (device_ == nullptr || sampleRate <= 0) {
            return false;
        }
        open_ = audio_object_open(device_, AUDIO_OBJECT_FORMAT_S16LE,
                                  static_cast<std::uint32_t>(sampleRate), 1) == 0;
        return open_;
    }
    bool Write(const std::int16_t* samples, std::size_t count) override {
        return open_ && audio_object_write(device_, samples, count * sizeof *samples) == 0;
    }
    void Flush() override {
        if (open_) {
            audio_object_flush(device_);
        }
    }

private:
    audio_object* device_;
    bool open_ = false;
};

}  // namespace

std::unique_ptr<AudioOutput> OpenSoundDevice(int sampleRate) {
    auto device = std::make_unique<SoundDevice>();
    if (!device->Open(sampleRate)) {
        return nullptr;
    }
    return device;
}

}  // namespace wobbet::desktop
