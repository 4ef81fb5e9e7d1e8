#include "agent/desktop/character_settings.h"

#include <QSettings>
#include <QStandardPaths>

namespace wobbet::desktop {
namespace {

const QString kVoice = QStringLiteral("voice/name");
const QString kRate = QStringLiteral("voice/rate");
const QString kPitch = QStringLiteral("voice/pitch");

int ReadNumber(const QSettings& settings, const QString& key, int fallback) {
    bool ok = false;
    const int value = settings.value(key).toInt(&ok);
    return ok ? value : fallback;
}

}  // namespace

QString DefaultCharacterSettingsFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/wobbet/character.ini");
}

VoiceSettings LoadVoiceSettings(const QString& file) {
    const QSettings stored(file, QSettings::IniFormat);
    VoiceSettings settings;
    const QString voice = stored.value(kVoice).toString().trimmed();
    if (!voice.isEmpty()) {
        settings.voice = voice.toStdString();
    }
    settings.rate = ReadNumber(stored, kRate, settings.rate);
    settings.pitch = ReadNumber(stored, kPitch, settings.pitch);
    return settings.Clamped();
}

bool SaveVoiceSettings(const QString& file, const VoiceSettings& settings) {
    QSettings stored(file, QSettings::IniFormat);
    stored.setValue(kVoice, QString::fromStdString(settings.voice));
    stored.setValue(kRate, settings.rate);
    stored.setValue(kPitch, settings.pitch);
    stored.sync();
    return stored.status() == QSettings::NoError;
}

}  // namespace wobbet::desktop
