#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>

#include "agent/agent_server_port.h"
#include "agent/desktop/character_voice.h"
#include "agent/figure/character_pose.h"

namespace wobbet::desktop {

class CharacterPropertiesWindow;
class CharacterWindow;
class SpeechBalloon;

struct DesktopAgentServerOptions {
    // False keeps the voice away from the sound device (it still speaks, silently).
    bool sound = true;
    // Where the voice settings are kept; empty means ~/.config/wobbet/character.ini.
    QString settingsFile;
};

// Our own character server for Linux, behind the same port as the real one on Windows: a
// character window with its speech balloon, a voice, and a properties window for the voice.
// Requests queue and run one after another, as the real server's do: Play waits for the
// animation before it, Speak for the speech.
//
// The Qt program creates one after its QApplication, hands it to AgentLink and destroys it before
// the QApplication; everything runs on the GUI thread:
//
//     wobbet::desktop::DesktopAgentServer server;
//     wobbet::AgentLink link(server, random);
//     link.StartAgent();  // AgentStatus() is 1 when no window can be shown
//
// Start-up fails (at the create step) only without a QApplication or without a screen. Without a
// sound device or voice data the character still shows its words and moves its mouth, silently.
class DesktopAgentServer final : public QObject, public AgentServerPort {
    Q_OBJECT

public:
    explicit DesktopAgentServer(DesktopAgentServerOptions options = {});
    ~DesktopAgentServer() override;

    AgentResult Initialize() override;
    AgentResult CreateServer() override;
    AgentResult LoadDefaultCharacter(std::int32_t* characterId) override;
    AgentResult GetCharacter(std::int32_t characterId) override;
    AgentResult GetOriginalSize(std::int32_t* width, std::int32_t* height) override;
    ScreenSize GetScreenSize() override;
    AgentResult SetPosition(std::int32_t left, std::int32_t top) override;
    AgentResult Show(bool fast) override;
    AgentResult Speak(const std::string& text) override;
    // Unknown animation names are ignored (and answered with a failure).
    AgentResult Play(const std::string& animation) override;
    AgentResult GetVisible(bool* visible) override;
    // Types: 1 animations, 4 speech; the current request of a type is cut off, queued ones dropped.
    AgentResult StopAll(std::int32_t types) override;
    AgentResult ShowDefaultCharacterProperties(std::int16_t x, std::int16_t y,
                                               bool useDefaultPosition) override;
    AgentResult Unload(std::int32_t characterId) override;
    void ReleaseCharacter() override;
    void ReleaseServer() override;
    void Uninitialize() override;

    // The parts, for tests and for the curious; null before they exist.
    CharacterWindow* Window() const { return window_.get(); }
    SpeechBalloon* Balloon() const { return balloon_.get(); }
    CharacterPropertiesWindow* PropertiesWindow() const { return properties_.get(); }
    CharacterVoice* Voice() const { return voice_.get(); }

signals:
    // A request begins or ends, described as "Show", "Hide", "Play Greet" or "Speak <text>".
    void RequestStarted(const QString& request);
    void RequestFinished(const QString& request);
    // Nothing is playing, speaking or waiting.
    void Idle();

private:
    struct Request {
        enum class Kind { kShow, kHide, kPlay, kSpeak };
        Kind kind;
        const figure::CharacterAnimation* animation = nullptr;
        std::string text;
        bool fast = false;

        QString Description() const;
    };

    void Enqueue(Request request);
    void StartNext();
    void FinishCurrent();
    void OnAnimationFinished(const QString& name);
    void OnSpeechEvent(const SpeechEvent& event);
    void HideByUser();
    void ApplySettings(const VoiceSettings& settings);

    const DesktopAgentServerOptions options_;
    const QString settingsFile_;
    std::unique_ptr<CharacterWindow> window_;
    std::unique_ptr<SpeechBalloon> balloon_;
    std::unique_ptr<CharacterPropertiesWindow> properties_;
    QTimer balloonLinger_;
    std::deque<Request> queue_;
    std::optional<Request> current_;
    std::uint64_t speaking_ = 0;
    bool visible_ = false;
    bool loaded_ = false;
    // Last, so that it stops (and sends no more events) before anything else goes.
    std::unique_ptr<CharacterVoice> voice_;
};

}  // namespace wobbet::desktop
