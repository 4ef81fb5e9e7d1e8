#include "agent/desktop/character_window.h"

#include <QBitmap>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>
#include <algorithm>
#include <cmath>

#include "agent/desktop/character_painter.h"
#include "agent/desktop/display_compositor.h"

namespace wobbet::desktop {
namespace {

// How long the mouth takes to open and close for one word.
constexpr qint64 kWordMilliseconds = 220;

}  // namespace

CharacterWindow::CharacterWindow(QWidget* parent)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(QStringLiteral("Wobbet"));
    setFixedSize(kSide, kSide);
    setCursor(Qt::OpenHandCursor);
    clock_.start();
    frameTimer_.setInterval(kFrameMilliseconds);
    connect(&frameTimer_, &QTimer::timeout, this, &CharacterWindow::Step);
    frame_ = RenderCharacter(figure::IdlePose(0), kSide);
}

void CharacterWindow::Play(const figure::CharacterAnimation& animation) {
    animation_ = &animation;
    animationStart_ = clock_.elapsed();
    // Runs to its end and reports it even while the window is hidden.
    frameTimer_.start();
    Step();
}

void CharacterWindow::StopAnimation() {
    animation_ = nullptr;
    Step();
}

void CharacterWindow::SayWord() {
    wordStart_ = clock_.elapsed();
}

figure::CharacterPose CharacterWindow::CurrentPose() const {
    const qint64 now = clock_.elapsed();
    figure::CharacterPose pose =
        animation_ != nullptr ? animation_->PoseAtTime(static_cast<int>(now - animationStart_))
                              : figure::IdlePose(static_cast<int>(now));
    if (wordStart_ >= 0 && now - wordStart_ < kWordMilliseconds) {
        const double progress = static_cast<double>(now - wordStart_) / kWordMilliseconds;
        pose.mouthOpen = std::max(pose.mouthOpen, 0.75 * std::sin(progress * 3.14159265));
    }
    return pose;
}

void CharacterWindow::Step() {
    const figure::CharacterAnimation* finished = nullptr;
    if (animation_ != nullptr && clock_.elapsed() - animationStart_ >= animation_->milliseconds) {
        finished = animation_;
    }
    frame_ = RenderCharacter(CurrentPose(), kSide);
    if (useMask_) {
        const QBitmap shape = QBitmap::fromImage(frame_.createAlphaMask());
        // An empty mask would show the whole window; keep one pixel instead while invisible.
        setMask(shape.isNull() || QRegion(shape).isEmpty() ? QRegion(0, 0, 1, 1) : QRegion(shape));
    }
    update();
    if (finished != nullptr) {
        animation_ = nullptr;
        if (isHidden()) {
            frameTimer_.stop();
        }
        emit AnimationFinished(QString::fromStdString(finished->name));
    }
}

void CharacterWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(0, 0, frame_);
}

void CharacterWindow::showEvent(QShowEvent* event) {
    useMask_ = !DisplayComposites();
    if (!useMask_) {
        clearMask();
    }
    frameTimer_.start();
    Step();
    QWidget::showEvent(event);
}

void CharacterWindow::hideEvent(QHideEvent* event) {
    if (animation_ == nullptr) {
        frameTimer_.stop();
    }
    QWidget::hideEvent(event);
}

void CharacterWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        dragging_ = true;
        dragOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
        setCursor(Qt::ClosedHandCursor);
    }
}

void CharacterWindow::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_ && (event->buttons() & Qt::LeftButton)) {
        move(event->globalPosition().toPoint() - dragOffset_);
        emit Dragged();
    }
}

void CharacterWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        dragging_ = false;
        setCursor(Qt::OpenHandCursor);
    }
}

void CharacterWindow::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    const QAction* hide = menu.addAction(tr("&Hide"));
    const QAction* properties = menu.addAction(tr("&Voice and Speed..."));
    const QAction* chosen = menu.exec(event->globalPos());
    if (chosen == hide) {
        emit HideChosen();
    } else if (chosen == properties) {
        emit PropertiesChosen();
    }
}

}  // namespace wobbet::desktop
