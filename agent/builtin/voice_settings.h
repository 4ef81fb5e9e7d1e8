#pragma once

#include <string>

namespace wobbet::builtin {

// How the built-in character speaks; chosen in its properties.
struct VoiceSettings {
    // The voice's token id; empty for the system's default voice.
    std::wstring voice;
    // -10 (slowest) to 10 (fastest).
    long rate = 0;
    bool sound = true;

    bool operator==(const VoiceSettings&) const = default;
};

// Kept under HKEY_CURRENT_USER\Software\Wobbet. Missing or unreadable values keep the defaults.
VoiceSettings LoadVoiceSettings();
// False when the key could not be written.
bool SaveVoiceSettings(const VoiceSettings& settings);

}  // namespace wobbet::builtin
