#pragma once

#include <QElapsedTimer>
#include <QImage>
#include <QPoint>
#include <QTimer>
#include <QWidget>

#include "agent/figure/character_pose.h"

namespace wobbet::desktop {

// The character on the desktop: a small frameless window that stays on top, drawn in code and
// stepped by a timer. It rests (breathing, blinking) between animations. The user can drag it,
// and its context menu offers Hide and the voice properties.
class CharacterWindow : public QWidget {
    Q_OBJECT

public:
    static constexpr int kSide = 144;
    static constexpr int kFrameMilliseconds = 40;

    explicit CharacterWindow(QWidget* parent = nullptr);

    // Starts the animation from its beginning; one already playing is dropped without
    // AnimationFinished. The animation must outlive its playing (the built-in ones do).
    void Play(const figure::CharacterAnimation& animation);
    // Drops the animation playing, if any, without AnimationFinished.
    void StopAnimation();
    bool Animating() const { return animation_ != nullptr; }
    // Opens and closes the mouth once, for a spoken word.
    void SayWord();

    // The pose now on the screen.
    figure::CharacterPose CurrentPose() const;

signals:
    void AnimationFinished(const QString& name);
    void HideChosen();
    void PropertiesChosen();
    // The user dragged the window to a new place.
    void Dragged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void Step();

    QTimer frameTimer_;
    QElapsedTimer clock_;
    const figure::CharacterAnimation* animation_ = nullptr;
    qint64 animationStart_ = 0;
    qint64 wordStart_ = -1;
    QImage frame_;
    bool useMask_ = false;
    bool dragging_ = false;
    QPoint dragOffset_;
};

}  // namespace wobbet::desktop
