#include "agent/builtin/voice_settings.h"

#include <windows.h>

#include <algorithm>

namespace wobbet::builtin {
namespace {

const wchar_t kKey[] = L"Software\\Wobbet";
const wchar_t kVoice[] = L"Voice";
const wchar_t kRate[] = L"Rate";
const wchar_t kSound[] = L"Sound";

bool ReadNumber(HKEY key, const wchar_t* name, DWORD* number) {
    DWORD type = 0;
    DWORD size = sizeof *number;
    return RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(number), &size) ==
               ERROR_SUCCESS &&
           type == REG_DWORD && size == sizeof *number;
}

bool WriteNumber(HKEY key, const wchar_t* name, DWORD number) {
    return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                          sizeof number) == ERROR_SUCCESS;
}

}  // namespace

VoiceSettings LoadVoiceSettings() {
    VoiceSettings settings;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return settings;
    }
    wchar_t voice[512] = {};
    DWORD type = 0;
    DWORD size = sizeof voice - sizeof voice[0];
    if (RegQueryValueExW(key, kVoice, nullptr, &type, reinterpret_cast<BYTE*>(voice), &size) ==
            ERROR_SUCCESS &&
        type == REG_SZ) {
        settings.voice = voice;
    }
    DWORD number = 0;
    if (ReadNumber(key, kRate, &number)) {
        settings.rate = std::clamp(static_cast<long>(static_cast<LONG>(number)), -10L, 10L);
    }
    if (ReadNumber(key, kSound, &number)) {
        settings.sound = number != 0;
    }
    RegCloseKey(key);
    return settings;
}

bool SaveVoiceSettings(const VoiceSettings& settings) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const auto voiceBytes = static_cast<DWORD>((settings.voice.size() + 1) * sizeof(wchar_t));
    const bool written = RegSetValueExW(key, kVoice, 0, REG_SZ,
                                        reinterpret_cast<const BYTE*>(settings.voice.c_str()),
                                        voiceBytes) == ERROR_SUCCESS &&
                         WriteNumber(key, kRate, static_cast<DWORD>(settings.rate)) &&
                         WriteNumber(key, kSound, settings.sound ? 1 : 0);
    RegCloseKey(key);
    return written;
}

}  // namespace wobbet::builtin
