#pragma once

#include <QString>

#include "agent/desktop/speech_synthesizer.h"

namespace wobbet::desktop {

// ~/.config/wobbet/character.ini (or under $XDG_CONFIG_HOME): the stand-in server's own settings.
QString DefaultCharacterSettingsFile();

// The voice settings kept in the file; missing or unreadable values keep their defaults and
// values out of range are brought into it.
VoiceSettings LoadVoiceSettings(const QString& file);
// False when the file could not be written.
bool SaveVoiceSettings(const QString& file, const VoiceSettings& settings);

}  // namespace wobbet::desktop
