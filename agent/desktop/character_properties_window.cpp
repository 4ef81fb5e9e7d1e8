#include "agent/desktop/character_properties_window.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace wobbet::desktop {
namespace {

QSlider* MakeSlider(int minimum, int maximum, int value, QWidget* parent) {
    auto* slider = new QSlider(Qt::Horizontal, parent);
    slider->setRange(minimum, maximum);
    slider->setValue(value);
    slider->setMinimumWidth(180);
    return slider;
}

QWidget* WithValue(QSlider* slider, QLabel* value, QWidget* parent) {
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(slider);
    layout->addWidget(value);
    value->setMinimumWidth(value->fontMetrics().horizontalAdvance(QStringLiteral("450 words/min")));
    return row;
}

}  // namespace

CharacterPropertiesWindow::CharacterPropertiesWindow(const std::vector<VoiceDescription>& voices,
                                                     const VoiceSettings& settings, QWidget* parent)
    : QDialog(parent),
      voice_(new QComboBox(this)),
      speed_(MakeSlider(VoiceSettings::kSlowest, VoiceSettings::kFastest, settings.rate, this)),
      pitch_(MakeSlider(VoiceSettings::kLowest, VoiceSettings::kHighest, settings.pitch, this)),
      speedValue_(new QLabel(this)),
      pitchValue_(new QLabel(this)),
      test_(new QPushButton(tr("&Test"), this)) {
    setWindowTitle(tr("Character Properties"));
    for (const VoiceDescription& voice : voices) {
        const QString name = QString::fromStdString(voice.name);
        voice_->addItem(QStringLiteral("%1 (%2)").arg(name, QString::fromStdString(voice.language)),
                        name);
    }
    if (voices.empty()) {
        voice_->addItem(tr("No voices installed"), QString::fromStdString(settings.voice));
        voice_->setEnabled(false);
    }
    // The saved voice may be a language code rather than a listed name; it stays in use until
    // the user picks another.
    int current = voice_->findData(QString::fromStdString(settings.voice));
    if (current < 0) {
        voice_->insertItem(0, QString::fromStdString(settings.voice),
                           QString::fromStdString(settings.voice));
        current = 0;
    }
    voice_->setCurrentIndex(current);

    auto* form = new QFormLayout;
    form->addRow(tr("&Voice:"), voice_);
    form->addRow(tr("&Speed:"), WithValue(speed_, speedValue_, this));
    form->addRow(tr("&Pitch:"), WithValue(pitch_, pitchValue_, this));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->addButton(test_, QDialogButtonBox::ActionRole);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    ShowValues();

    const auto changed = [this] {
        ShowValues();
        emit SettingsChanged(Settings());
    };
    connect(voice_, &QComboBox::currentIndexChanged, this, changed);
    connect(speed_, &QSlider::valueChanged, this, changed);
    connect(pitch_, &QSlider::valueChanged, this, changed);
    connect(test_, &QPushButton::clicked, this, &CharacterPropertiesWindow::TestRequested);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
}

VoiceSettings CharacterPropertiesWindow::Settings() const {
    VoiceSettings settings;
    settings.voice = voice_->currentData().toString().toStdString();
    settings.rate = speed_->value();
    settings.pitch = pitch_->value();
    return settings;
}

void CharacterPropertiesWindow::ShowValues() {
    speedValue_->setText(tr("%1 words/min").arg(speed_->value()));
    pitchValue_->setText(QString::number(pitch_->value()));
}

}  // namespace wobbet::desktop
