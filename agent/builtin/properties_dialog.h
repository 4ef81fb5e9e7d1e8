#pragma once

#include <windows.h>

#include <vector>

#include "agent/builtin/sapi_voice.h"
#include "agent/builtin/voice_settings.h"

namespace wobbet::builtin {

// The built-in character's properties: its voice among those installed, its speed, and sound
// on or off. Runs modally over the owner; true when the user chose OK, with the settings changed.
bool RunPropertiesDialog(HWND owner, const std::vector<InstalledVoice>& voices,
                         VoiceSettings* settings);

}  // namespace wobbet::builtin
