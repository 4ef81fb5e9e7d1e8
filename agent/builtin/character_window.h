#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "agent/builtin/character_performance.h"
#include "agent/builtin/gdiplus_renderer.h"
#include "agent/builtin/sapi_voice.h"
#include "agent/builtin/voice_settings.h"

namespace wobbet::builtin {

// The built-in character on the desktop: a layered, always-on-top window drawn with per-pixel
// alpha and stepped by a timer, and a second one for its speech balloon. Both belong to the
// thread that creates them. The user drags the character with the left button; its context menu
// holds Hide and the properties.
class CharacterWindow {
public:
    static constexpr int kSide = 144;
    static constexpr UINT kFrameMilliseconds = 40;

    // Null when the windows cannot be made. GDI+ must be started; COM initialised for the voice.
    static std::unique_ptr<CharacterWindow> Create(std::function<void()> onPropertiesChosen);
    ~CharacterWindow();
    CharacterWindow(const CharacterWindow&) = delete;
    CharacterWindow& operator=(const CharacterWindow&) = delete;

    // The side in pixels, for the screen's dots per inch.
    int Side() const { return side_; }
    void MoveTo(int left, int top);
    CharacterPerformance& Performance() { return *performance_; }
    Milliseconds Now() const;
    // Sound off leaves the voice out: the character reads its replies.
    void ApplySettings(const VoiceSettings& settings);

private:
    // The voice the performance hears through: the system's, while sound is on.
    class SwitchedVoice final : public SpeakingVoice {
    public:
        SapiVoice* voice = nullptr;
        bool sound = true;

        bool Speak(const std::wstring& text, std::uint32_t* stream) override;
        void Purge() override;
        bool ReportsEvents() const override;
    };

    CharacterWindow(HWND character, HWND balloon, std::function<void()> onPropertiesChosen);
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Ends what is due, then draws the character and its balloon as they are now.
    void Step();
    void ShowBalloon(const std::wstring& text);
    void PlaceBalloon();
    void OnContextMenu(POINT at);

    HWND character_;
    HWND balloon_;
    const std::function<void()> onPropertiesChosen_;
    const DWORD started_;
    const double scale_;
    const int side_;
    BalloonPainter balloonPainter_;
    std::wstring balloonText_;
    SIZE balloonSize_{};
    bool dragging_ = false;
    POINT dragOffset_{};
    SwitchedVoice voice_;
    std::unique_ptr<SapiVoice> systemVoice_;
    std::unique_ptr<CharacterPerformance> performance_;
};

}  // namespace wobbet::builtin
