#pragma once

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <vector>

#include "agent/desktop/speech_synthesizer.h"

namespace wobbet::desktop {

// The stand-in server's small window for the default character's voice: which voice, how fast
// and how high, with a Test button. Every change applies at once.
class CharacterPropertiesWindow : public QDialog {
    Q_OBJECT

public:
    CharacterPropertiesWindow(const std::vector<VoiceDescription>& voices,
                              const VoiceSettings& settings, QWidget* parent = nullptr);

    VoiceSettings Settings() const;

    QComboBox* VoiceBox() const { return voice_; }
    QSlider* SpeedSlider() const { return speed_; }
    QSlider* PitchSlider() const { return pitch_; }
    QPushButton* TestButton() const { return test_; }

signals:
    void SettingsChanged(const wobbet::desktop::VoiceSettings& settings);
    void TestRequested();

private:
    void ShowValues();

    QComboBox* voice_;
    QSlider* speed_;
    QSlider* pitch_;
    QLabel* speedValue_;
    QLabel* pitchValue_;
    QPushButton* test_;
};

}  // namespace wobbet::desktop
