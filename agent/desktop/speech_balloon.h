#pragma once

#include <QRect>
#include <QString>
#include <QWidget>

namespace wobbet::desktop {

// The balloon that shows what the character says: a rounded frame with a tail pointing at the
// character, above it when there is room on the screen, else below.
class SpeechBalloon : public QWidget {
    Q_OBJECT

public:
    static constexpr int kMaxTextWidth = 240;

    explicit SpeechBalloon(QWidget* parent = nullptr);

    // Shows the text beside the character's window.
    void ShowText(const QString& text, const QRect& character);
    // Moves the balloon along with a character that has moved.
    void Follow(const QRect& character);
    QString Text() const { return text_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Place(const QRect& character);

    QString text_;
    QRect textRect_;
    bool tailBelow_ = true;
    int tailX_ = 0;
};

}  // namespace wobbet::desktop
