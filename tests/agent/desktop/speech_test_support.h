#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <fstream>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "agent/desktop/audio_output.h"
#include "agent/desktop/character_voice.h"

namespace wobbet::testing {

// A sound device that keeps what it is given.
class MemoryOutput : public desktop::AudioOutput {
public:
    struct Shared {
        std::mutex mutex;
        std::vector<std::int16_t> samples;
        int sampleRate = 0;
        int flushes = 0;
        // After this many samples, writing fails as a device that went away would.
        std::size_t failAfter = SIZE_MAX;
    };

    explicit MemoryOutput(Shared& shared) : shared_(shared) {}

    bool Open(int sampleRate) override {
        const std::lock_guard lock(shared_.mutex);
        shared_.sampleRate = sampleRate;
        return true;
    }
    bool Write(const std::int16_t* samples, std::size_t count) override {
        const std::lock_guard lock(shared_.mutex);
        if (shared_.samples.size() + count > shared_.failAfter) {
            return false;
        }
        shared_.samples.insert(shared_.samples.end(), samples, samples + count);
        return true;
    }
    void Flush() override {
        const std::lock_guard lock(shared_.mutex);
        ++shared_.flushes;
    }

private:
    Shared& shared_;
};

// Every event a voice reports, in order, as short lines such as "started 1", "word 1 0 5",
// "finished 1" and "cut off 2".
class SpeechEventLog {
public:
    void Record(const desktop::SpeechEvent& event) {
        std::string line;
        switch (event.kind) {
            case desktop::SpeechEvent::Kind::kStarted:
                line = "started " + std::to_string(event.utterance);
                break;
            case desktop::SpeechEvent::Kind::kWord:
                line = "word " + std::to_string(event.utterance) + " " +
                       std::to_string(event.textPosition) + " " + std::to_string(event.length);
                break;
            case desktop::SpeechEvent::Kind::kFinished:
                line = (event.cutOff ? "cut off " : "finished ") + std::to_string(event.utterance);
                break;
        }
        {
            const std::lock_guard lock(mutex_);
            lines_.push_back(line);
        }
        changed_.notify_all();
    }

    desktop::CharacterVoice::EventHandler Handler() {
        return [this](const desktop::SpeechEvent& event) { Record(event); };
    }

    // Waits until a line equal to the given one has been recorded; false after a generous time.
    bool WaitFor(const std::string& line) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(20), [&] {
            for (const std::string& recorded : lines_) {
                if (recorded == line) {
                    return true;
                }
            }
            return false;
        });
    }

    std::vector<std::string> Lines() {
        const std::lock_guard lock(mutex_);
        return lines_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> lines_;
};

// Writes 16-bit mono samples as a WAV file, for people to listen to.
inline void SaveWav(const std::string& path, const std::vector<std::int16_t>& samples,
                    int sampleRate) {
    std::ofstream file(path, std::ios::binary);
    const auto put32 = [&file](std::uint32_t value) {
        for (int i = 0; i < 4; ++i) {
            file.put(static_cast<char>((value >> (8 * i)) & 0xFFu));
        }
    };
    const auto put16 = [&file](std::uint16_t value) {
        file.put(static_cast<char>(value & 0xFFu));
        file.put(static_cast<char>(value >> 8));
    };
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    file.write("RIFF", 4);
    put32(36 + dataBytes);
    file.write("WAVEfmt ", 8);
    put32(16);
    put16(1);
    put16(1);
    put32(static_cast<std::uint32_t>(sampleRate));
    put32(static_cast<std::uint32_t>(sampleRate) * 2);
    put16(2);
    put16(16);
    file.write("data", 4);
    put32(dataBytes);
    for (std::int16_t sample : samples) {
        put16(static_cast<std::uint16_t>(sample));
    }
}

}  // namespace wobbet::testing
