#include "agent/desktop/desktop_agent_server.h"

#include <QApplication>
#include <QScreen>
#include <algorithm>

#include "agent/desktop/character_properties_window.h"
#include "agent/desktop/character_settings.h"
#include "agent/desktop/character_window.h"
#include "agent/desktop/speech_balloon.h"

namespace wobbet::desktop {
namespace {

constexpr std::int32_t kCharacterId = 1;
constexpr std::int32_t kStopAnimations = 1;
// How long the balloon stays after the last word, unless more speech follows.
constexpr int kBalloonLingerMilliseconds = 1200;
const char* const kTestSentence = "Hello! This is how I sound.";

QScreen* Screen() {
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr
               ? QGuiApplication::primaryScreen()
               : nullptr;
}

}  // namespace

QString DesktopAgentServer::Request::Description() const {
    switch (kind) {
        case Kind::kShow:
            return QStringLiteral("Show");
        case Kind::kHide:
            return QStringLiteral("Hide");
        case Kind::kPlay:
            return QStringLiteral("Play ") + QString::fromStdString(animation->name);
        case Kind::kSpeak:
            return QStringLiteral("Speak ") + QString::fromStdString(text);
    }
    return {};
}

DesktopAgentServer::DesktopAgentServer(DesktopAgentServerOptions options)
    : options_(std::move(options)),
      settingsFile_(options_.settingsFile.isEmpty() ? DefaultCharacterSettingsFile()
                                                    : options_.settingsFile) {
    balloonLinger_.setSingleShot(true);
    balloonLinger_.setInterval(kBalloonLingerMilliseconds);
    connect(&balloonLinger_, &QTimer::timeout, this, [this] {
        if (balloon_ != nullptr) {
            balloon_->hide();
        }
    });
}

DesktopAgentServer::~DesktopAgentServer() {
    // The voice goes first, so that no event arrives for a window already gone.
    voice_.reset();
}

AgentResult DesktopAgentServer::Initialize() {
    return kAgentOk;
}

AgentResult DesktopAgentServer::CreateServer() {
    if (Screen() == nullptr) {
        return kAgentFailed;
    }
    CharacterVoice::OutputOpener openOutput;
    if (options_.sound) {
        openOutput = OpenSoundDevice;
    }
    voice_ = std::make_unique<CharacterVoice>(
        SpeechSynthesizer::Open(), std::move(openOutput), [this](const SpeechEvent& event) {
            QMetaObject::invokeMethod(
                this, [this, event] { OnSpeechEvent(event); }, Qt::QueuedConnection);
        });
    voice_->SetSettings(LoadVoiceSettings(settingsFile_));
    return kAgentOk;
}

AgentResult DesktopAgentServer::LoadDefaultCharacter(std::int32_t* characterId) {
    if (voice_ == nullptr || Screen() == nullptr) {
        return kAgentFailed;
    }
    window_ = std::make_unique<CharacterWindow>();
    balloon_ = std::make_unique<SpeechBalloon>();
    connect(window_.get(), &CharacterWindow::AnimationFinished, this,
            &DesktopAgentServer::OnAnimationFinished);
    connect(window_.get(), &CharacterWindow::HideChosen, this, &DesktopAgentServer::HideByUser);
    connect(window_.get(), &CharacterWindow::PropertiesChosen, this,
            [this] { ShowDefaultCharacterProperties(0, 0, true); });
    connect(window_.get(), &CharacterWindow::Dragged, this,
            [this] { balloon_->Follow(window_->frameGeometry()); });
    loaded_ = true;
    *characterId = kCharacterId;
    return kAgentOk;
}

AgentResult DesktopAgentServer::GetCharacter(std::int32_t characterId) {
    return loaded_ && characterId == kCharacterId ? kAgentOk : kAgentFailed;
}

AgentResult DesktopAgentServer::GetOriginalSize(std::int32_t* width, std::int32_t* height) {
    *width = CharacterWindow::kSide;
    *height = CharacterWindow::kSide;
    return kAgentOk;
}

ScreenSize DesktopAgentServer::GetScreenSize() {
    const QScreen* screen = Screen();
    if (screen == nullptr) {
        return {};
    }
    return {screen->geometry().width(), screen->geometry().height()};
}

AgentResult DesktopAgentServer::SetPosition(std::int32_t left, std::int32_t top) {
    const QScreen* screen = Screen();
    if (window_ == nullptr || screen == nullptr) {
        return kAgentFailed;
    }
    window_->move(screen->geometry().topLeft() + QPoint(left, top));
    balloon_->Follow(window_->frameGeometry());
    return kAgentOk;
}

AgentResult DesktopAgentServer::Show(bool fast) {
    if (window_ == nullptr) {
        return kAgentFailed;
    }
    visible_ = true;
    Enqueue({Request::Kind::kShow, figure::FindCharacterAnimation("Show"), {}, fast});
    return kAgentOk;
}

AgentResult DesktopAgentServer::Speak(const std::string& text) {
    if (window_ == nullptr || voice_ == nullptr) {
        return kAgentFailed;
    }
    Enqueue({Request::Kind::kSpeak, nullptr, text, false});
    return kAgentOk;
}

AgentResult DesktopAgentServer::Play(const std::string& animation) {
    const figure::CharacterAnimation* found = figure::FindCharacterAnimation(animation);
    if (window_ == nullptr || found == nullptr) {
        return kAgentFailed;
    }
    Enqueue({Request::Kind::kPlay, found, {}});
    return kAgentOk;
}

AgentResult DesktopAgentServer::GetVisible(bool* visible) {
    *visible = visible_;
    return window_ != nullptr ? kAgentOk : kAgentFailed;
}

AgentResult DesktopAgentServer::StopAll(std::int32_t types) {
    if (window_ == nullptr || voice_ == nullptr) {
        return kAgentFailed;
    }
    const auto stops = [types](const Request& request) {
        return ((types & kStopSpeaking) != 0 && request.kind == Request::Kind::kSpeak) ||
               ((types & kStopAnimations) != 0 && request.kind == Request::Kind::kPlay);
    };
    queue_.erase(std::remove_if(queue_.begin(), queue_.end(), stops), queue_.end());
    if ((types & kStopSpeaking) != 0) {
        voice_->StopAll();
    }
    if (current_ && stops(*current_)) {
        if (current_->kind == Request::Kind::kSpeak) {
            balloonLinger_.stop();
            balloon_->hide();
        } else {
            window_->StopAnimation();
        }
        FinishCurrent();
    }
    return kAgentOk;
}

AgentResult DesktopAgentServer::ShowDefaultCharacterProperties(std::int16_t x, std::int16_t y,
                                                               bool useDefaultPosition) {
    if (voice_ == nullptr) {
        return kAgentFailed;
    }
    if (properties_ == nullptr) {
        SpeechSynthesizer* synthesizer = SpeechSynthesizer::Open();
        properties_ = std::make_unique<CharacterPropertiesWindow>(
            synthesizer != nullptr ? synthesizer->Voices() : std::vector<VoiceDescription>{},
            voice_->Settings());
        connect(properties_.get(), &CharacterPropertiesWindow::SettingsChanged, this,
                &DesktopAgentServer::ApplySettings);
        connect(properties_.get(), &CharacterPropertiesWindow::TestRequested, this, [this] {
            if (!visible_) {
                Show(false);
            }
            StopAll(kStopSpeaking);
            Speak(kTestSentence);
        });
    }
    if (!useDefaultPosition) {
        properties_->move(x, y);
    }
    properties_->show();
    properties_->raise();
    properties_->activateWindow();
    return kAgentOk;
}

AgentResult DesktopAgentServer::Unload(std::int32_t characterId) {
    if (!loaded_ || characterId != kCharacterId) {
        return kAgentFailed;
    }
    if (voice_ != nullptr) {
        voice_->StopAll();
    }
    queue_.clear();
    current_.reset();
    balloonLinger_.stop();
    properties_.reset();
    balloon_.reset();
    window_.reset();
    loaded_ = false;
    visible_ = false;
    return kAgentOk;
}

void DesktopAgentServer::ReleaseCharacter() {}

void DesktopAgentServer::ReleaseServer() {
    voice_.reset();
}

void DesktopAgentServer::Uninitialize() {}

void DesktopAgentServer::Enqueue(Request request) {
    queue_.push_back(std::move(request));
    if (!current_) {
        StartNext();
    }
}

void DesktopAgentServer::StartNext() {
    if (current_) {
        return;
    }
    if (queue_.empty()) {
        emit Idle();
        return;
    }
    current_ = std::move(queue_.front());
    queue_.pop_front();
    emit RequestStarted(current_->Description());
    switch (current_->kind) {
        case Request::Kind::kShow:
            if (window_->isVisible()) {
                FinishCurrent();
            } else {
                window_->show();
                if (current_->fast) {
                    FinishCurrent();
                } else {
                    window_->Play(*current_->animation);
                }
            }
            return;
        case Request::Kind::kHide:
        case Request::Kind::kPlay:
            if (window_->isVisible()) {
                window_->Play(*current_->animation);
            } else {
                // Nothing to see: a hidden character skips its animations.
                FinishCurrent();
            }
            return;
        case Request::Kind::kSpeak:
            balloonLinger_.stop();
            if (window_->isVisible()) {
                balloon_->ShowText(QString::fromStdString(current_->text),
                                   window_->frameGeometry());
            }
            speaking_ = voice_->Speak(current_->text);
            return;
    }
}

void DesktopAgentServer::FinishCurrent() {
    if (!current_) {
        return;
    }
    const QString description = current_->Description();
    const bool hidden = current_->kind == Request::Kind::kHide;
    current_.reset();
    if (hidden) {
        window_->hide();
        balloon_->hide();
    }
    emit RequestFinished(description);
    StartNext();
}

void DesktopAgentServer::OnAnimationFinished(const QString& name) {
    if (current_ && current_->animation != nullptr &&
        name == QString::fromStdString(current_->animation->name)) {
        FinishCurrent();
    }
}

void DesktopAgentServer::OnSpeechEvent(const SpeechEvent& event) {
    if (!current_ || current_->kind != Request::Kind::kSpeak || event.utterance != speaking_ ||
        window_ == nullptr) {
        return;
    }
    if (event.kind == SpeechEvent::Kind::kWord) {
        window_->SayWord();
    } else if (event.kind == SpeechEvent::Kind::kFinished) {
        balloonLinger_.start();
        FinishCurrent();
    }
}

void DesktopAgentServer::HideByUser() {
    StopAll(kStopSpeaking | kStopAnimations);
    visible_ = false;
    Enqueue({Request::Kind::kHide, figure::FindCharacterAnimation("Hide"), {}});
}

void DesktopAgentServer::ApplySettings(const VoiceSettings& settings) {
    voice_->SetSettings(settings);
    SaveVoiceSettings(settingsFile_, settings);
}

}  // namespace wobbet::desktop
